# Writes DOCS/<scenario>.gif for every scenario that EXPORT (antenne-export)
# lists, so that a new scenario needs no change here, and DOCS/antenne.html,
# the web page of them all, for teachers to download from the repository.
# usage: cmake -DEXPORT=antenne-export -DDOCS=folder -P docs.cmake
execute_process(COMMAND ${EXPORT} --list OUTPUT_VARIABLE names COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n$" "" names "${names}")
string(REPLACE "\n" ";" names "${names}")
foreach(name IN LISTS names)
  message(STATUS "docs/${name}.gif")
  execute_process(COMMAND ${EXPORT} ${name} ${DOCS}/${name}.gif COMMAND_ERROR_IS_FATAL ANY)
endforeach()
message(STATUS "docs/antenne.html")
execute_process(COMMAND ${EXPORT} page ${DOCS}/antenne.html COMMAND_ERROR_IS_FATAL ANY)
