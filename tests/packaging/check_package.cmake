# The Debian package says what the viewer reads and suggests survex; the
# desktop entry starts the viewer as from the desktop menu.
# Run with -DCPACK_CONFIG=<build>/CPackConfig.cmake -DDESKTOP=<the .desktop file>.
include(${CPACK_CONFIG})
string(REPLACE "\n" " " description "${CPACK_PACKAGE_DESCRIPTION}")
foreach(format "Dane*.bin" "Survex .3d" ".svx" "cavern" ".plt" ".plf" "Therion .lox")
  string(FIND "${description}" "${format}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package's description does not name ${format}: ${description}")
  endif()
endforeach()
if(NOT CPACK_DEBIAN_PACKAGE_SUGGESTS MATCHES "(^|, )survex(,|$)")
  message(FATAL_ERROR "the package does not suggest survex: '${CPACK_DEBIAN_PACKAGE_SUGGESTS}'")
endif()
file(STRINGS ${DESKTOP} exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=morvalka --from-desktop %f")
  message(FATAL_ERROR "the desktop entry runs '${exec}'")
endif()
