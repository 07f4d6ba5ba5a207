# The Debian package of the program and its export tool, built by CPack from
# the install rules:
#   cmake --build --preset default --target package    (or: cd build && cpack)
# writes antenne_<version>_<architecture>.deb in the build directory.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME antenne)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Antenne")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "teaching animation of the servo control of an antenna's position")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian ships its binaries stripped; the build has no debugging symbols to keep.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Antenne maintainers <maintainers@antenne.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Below the summary, as the long description; CPack indents its lines.
set(CPACK_PACKAGE_DESCRIPTION "Antenne is a teaching animation, in French, of a closed-loop position
control: how the angular position of a dish antenna is servo-controlled.
Beside the block diagram of the loop, it animates the antenna and traces
the set point and the position over time, in six scenarios: the loop
explained, aperiodic and badly damped step responses, an unstable loop, a
ramp and a gust of wind.
.
The web page, installed in /usr/share/antenne, replays the six scenarios in
a browser and holds a laboratory: the loop as a real model with a P, PI or
PID controller to tune, its curves, figures, root locus and Bode, set-ups
and exercises shared by link.
.
The antenne-export command writes a scenario's final picture as PNG or its
animation as GIF, the web page, a laboratory run as CSV, SVG or PNG, or an
exercise as a SCORM 1.2 package for a learning platform, without a display.")
# dpkg-shlibdeps reads the libraries the binaries link to (Qt 6 with its SVG
# module, giflib, libzip, the C and C++ runtimes). The X11 and offscreen platform plugins and the ICO reader
# the program loads at run time come with libqt6gui6 itself, and the fonts are
# embedded, so nothing needs to be added by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The file modes lintian expects in the control archive.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
