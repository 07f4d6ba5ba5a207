# Writes DOCS/<scenario>.gif for every scenario that EXPORT (antenne-export)
# lists, so that a new scenario needs no change here, DOCS/antenne.html,
# the web page of them all, for teachers to download from the repository,
# and DOCS/laboratoire.png, the laboratory in a browser (SCREENSHOT, run by
# PYTHON; left as it is without Chromium and Selenium).
# The settings of DOCS/antenne-export.1 are written from the model's table by
# MAN_SETTINGS (antenne-man-settings).
# usage: cmake -DEXPORT=antenne-export -DDOCS=folder -DMAN_SETTINGS=antenne-man-settings
#              [-DPYTHON=python3 -DSCREENSHOT=script] -P docs.cmake
execute_process(COMMAND ${EXPORT} --list OUTPUT_VARIABLE names COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n$" "" names "${names}")
string(REPLACE "\n" ";" names "${names}")
foreach(name IN LISTS names)
  message(STATUS "docs/${name}.gif")
  execute_process(COMMAND ${EXPORT} ${name} ${DOCS}/${name}.gif COMMAND_ERROR_IS_FATAL ANY)
endforeach()
message(STATUS "docs/antenne-export.1")
execute_process(COMMAND ${MAN_SETTINGS} ${DOCS}/antenne-export.1 COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "docs/antenne.html")
execute_process(COMMAND ${EXPORT} page ${DOCS}/antenne.html COMMAND_ERROR_IS_FATAL ANY)
if(PYTHON AND SCREENSHOT)
  message(STATUS "docs/laboratoire.png")
  execute_process(COMMAND ${PYTHON} ${SCREENSHOT} ${EXPORT} ${DOCS}/laboratoire.png RESULT_VARIABLE shot)
  if(shot EQUAL 77)
    message(STATUS "docs/laboratoire.png kept as it is: no headless Chromium here")
  elseif(NOT shot EQUAL 0)
    message(FATAL_ERROR "docs/laboratoire.png could not be taken")
  endif()
endif()
