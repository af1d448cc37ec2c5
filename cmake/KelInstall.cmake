# Installation: one program folder under the prefix (default /opt/KEL) with
# the programs, their libraries (lib/, found through a run path relative to
# the programs), translations, map pages, compiled resources and icons; the
# disk library's header, pkg-config file and CMake package for other programs.
# A real install (no DESTDIR) ends by registering the folder (kel-register:
# configuration with an id of its own, settings, uninstall entry, start-menu
# entries); a package does it in its post-install script.

set(_kel_programs KEL Lorrimax uninstaller kel-register)
foreach(t ${_kel_programs})
  if(TARGET ${t})
    set_target_properties(${t} PROPERTIES INSTALL_RPATH "$ORIGIN/lib")
    install(TARGETS ${t} RUNTIME DESTINATION .)
  endif()
endforeach()
foreach(t Pellomir vintrel)
  if(TARGET ${t})
    set_target_properties(${t} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${t} LIBRARY DESTINATION lib)
  endif()
endforeach()

# What the build puts beside the programs.
foreach(d translations map rcc)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/${d} DESTINATION . OPTIONAL)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kel.svg ${CMAKE_SOURCE_DIR}/resources/icons/kel-uninstall.svg
  DESTINATION icons)

# The disk library for other programs.
install(FILES ${CMAKE_SOURCE_DIR}/pellomir/include/pellomir/Pellomir.h
              ${CMAKE_SOURCE_DIR}/src/Quillmere/module/Playback/VehMetaInfo.h
        DESTINATION include/pellomir)
configure_file(${CMAKE_SOURCE_DIR}/cmake/install/pellomir.pc.in ${CMAKE_BINARY_DIR}/install/pellomir.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/pellomir.pc DESTINATION lib/pkgconfig)
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/PellomirConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/install/PellomirConfig.cmake
              ${CMAKE_BINARY_DIR}/install/PellomirConfigVersion.cmake
        DESTINATION lib/cmake/Pellomir)

install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    execute_process(COMMAND "${CMAKE_INSTALL_PREFIX}/kel-register" install "${CMAKE_INSTALL_PREFIX}"
                    RESULT_VARIABLE _kel_rc)
    if(NOT _kel_rc EQUAL 0)
      message(FATAL_ERROR "kel-register failed: the installation is not registered")
    endif()
  else()
    message(STATUS "Staged install: the installation is registered when the package is installed")
  endif()
]])

# A Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KEL developers <kel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer, batch downloader and disk library for in-vehicle recorder media")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/KEL)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
# Qt's plug-ins are loaded at run time and not seen by the dependency scan.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5svg5, libqt5multimedia5-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/cmake/install/postinst ${CMAKE_SOURCE_DIR}/cmake/install/prerm
  ${CMAKE_SOURCE_DIR}/cmake/install/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
