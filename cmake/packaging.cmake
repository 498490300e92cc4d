# The Debian package of the viewer and mvdata: `cpack -G DEB` in the build
# folder after a build. Its dependencies are read off the binaries by
# dpkg-shlibdeps (package dpkg-dev).
set(MV_PACKAGE_MAINTAINER "Morvalka Vendra developers <morvalka-vendra@invalid>"
    CACHE STRING "Maintainer field of the Debian package")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION share/doc/morvalka)

set(CPACK_PACKAGE_NAME morvalka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D viewer of cave surveys")
# Lines of the long description as they appear in the package's control
# file, each under 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Morvalka Vendra shows a cave survey as a continuously spinning 3D model:\n"
       "the survey lines, the entrances, the rotation axis, a scale and a north\n"
       "arrow, steered with the keyboard and the mouse. It reads survey folders\n"
       "of Dane*.bin files, Survex .3d files, Survex .svx sources (through\n"
       "Survex's cavern), Compass .plt and .plf files and Therion .lox files.\n"
       "The interface is in Polish.\n"
       "\n"
       "The data tool mvdata writes and reads the viewer's survey files.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/COPYING)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Polish texts for its own dialogs, and the driver that gives OpenGL.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libgl1-mesa-dri")
# cavern, which turns Survex .svx sources into the .3d files the viewer reads.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "survex")

include(CPack)
