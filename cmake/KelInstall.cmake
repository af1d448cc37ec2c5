# SPDX-License-Identifier: GPL-3.0-or-later
# Installation: one program folder under the prefix (default /opt/KEL) with
# the programs, their libraries (lib/, found through a run path relative to
# the programs), translations, map pages, compiled resources, icons, the user
# manual (help/) and the licence texts ("Open Source Software Licenses"); the
# disk library's header, pkg-config file and CMake package for other programs.
#
# The prefix may already hold other files (/usr/local, ~/.local): a real
# install (no DESTDIR) records what it put in place, and the folders it had to
# make, in "InstallManifest.txt" of the prefix, then registers the folder
# (kel-register: configuration with an id of its own, settings, output
# folders, uninstall entry, start-menu entries), which adds what it makes to
# that record. The uninstaller removes exactly what is recorded. A package
# registers in its post-install script, and its package manager keeps track of
# its files.

# Folders the install makes are readable by all, whatever the installer's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The folders below the prefix that the rules put files into, and the folders
# of the build that are copied whole (their inner folders are taken from the
# build at install time). The record names those the install had to make.
set(_kel_install_folders . lib lib/pkgconfig lib/cmake lib/cmake/Pellomir include include/pellomir icons)
set(_kel_copied_folders translations map rcc help "Open Source Software Licenses")
install(CODE "set(_kel_build \"${CMAKE_BINARY_DIR}\")
set(_kel_install_folders \"${_kel_install_folders}\")
set(_kel_copied_folders \"${_kel_copied_folders}\")")
install(CODE [[
  get_filename_component(_kel_prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  # Before anything is copied: a folder that holds an installation of the
  # package manager (its record says so, or the package manager owns the
  # programs there) is the package's, and nothing of it is replaced.
  if("$ENV{DESTDIR}" STREQUAL "")
    set(_kel_owner "")
    if(EXISTS "${_kel_prefix}/InstallManifest.txt")
      file(STRINGS "${_kel_prefix}/InstallManifest.txt" _kel_package REGEX "^package\t")
      if(_kel_package)
        list(GET _kel_package 0 _kel_package)
        string(REGEX REPLACE "^package\t" "" _kel_owner "${_kel_package}")
      endif()
    endif()
    find_program(_kel_dpkg_query dpkg-query)
    if(NOT _kel_owner AND _kel_dpkg_query)
      foreach(_kel_p KEL Lorrimax uninstaller kel-register include/pellomir/Pellomir.h)
        if(EXISTS "${_kel_prefix}/${_kel_p}" OR IS_SYMLINK "${_kel_prefix}/${_kel_p}")
          execute_process(COMMAND "${_kel_dpkg_query}" -S "${_kel_prefix}/${_kel_p}"
                          RESULT_VARIABLE _kel_rc OUTPUT_VARIABLE _kel_out ERROR_QUIET)
          if(_kel_rc EQUAL 0 AND _kel_out MATCHES "^([^:, \n]+)[^\n]*: ")
            set(_kel_owner "${CMAKE_MATCH_1}")
            break()
          endif()
        endif()
      endforeach()
    endif()
    if(_kel_owner)
      message(FATAL_ERROR "${_kel_prefix} holds the installation of the package ${_kel_owner}: "
        "nothing was installed or changed. Remove the package first (sudo apt remove ${_kel_owner}), "
        "or install into another folder (--prefix).")
    endif()
  endif()
  # Which of those folders are missing.
  set(_kel_candidates ${_kel_install_folders})
  foreach(_kel_d ${_kel_copied_folders})
    list(APPEND _kel_candidates ${_kel_d})
    file(GLOB_RECURSE _kel_sub LIST_DIRECTORIES true RELATIVE "${_kel_build}/bin" "${_kel_build}/bin/${_kel_d}/*")
    foreach(_kel_s ${_kel_sub})
      if(IS_DIRECTORY "${_kel_build}/bin/${_kel_s}")
        list(APPEND _kel_candidates "${_kel_s}")
      endif()
    endforeach()
  endforeach()
  set(_kel_new_folders)
  foreach(_kel_c ${_kel_candidates})
    if(NOT IS_DIRECTORY "${_kel_prefix}/${_kel_c}")
      list(APPEND _kel_new_folders "${_kel_c}")
    endif()
  endforeach()
]])

set(_kel_programs KEL Lorrimax uninstaller kel-register kel-purge)
set_target_properties(${_kel_programs} PROPERTIES INSTALL_RPATH "$ORIGIN/lib")
install(TARGETS ${_kel_programs} RUNTIME DESTINATION .)
# The disk library's file name carries its interface version: the major
# number changes exactly when the CMake package's version rule (same major
# version) says a client must not take it.
set_target_properties(Pellomir PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
# The header says the same version.
file(STRINGS ${CMAKE_SOURCE_DIR}/pellomir/include/pellomir/Pellomir.h _kel_header_version
  REGEX "^#define PELLOMIR_VERSION \"")
if(NOT _kel_header_version STREQUAL "#define PELLOMIR_VERSION \"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "Pellomir.h says ${_kel_header_version}; the project's version is ${PROJECT_VERSION}")
endif()
set_target_properties(Pellomir vintrel PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS Pellomir vintrel LIBRARY DESTINATION lib)

# What the build puts beside the programs.
foreach(d ${_kel_copied_folders})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/${d} DESTINATION . OPTIONAL)
endforeach()
# The default sound of the speed alarm.
install(FILES ${CMAKE_BINARY_DIR}/bin/alarm_input.wav DESTINATION . OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kel.svg ${CMAKE_SOURCE_DIR}/resources/icons/kel-uninstall.svg
  DESTINATION icons)

# The disk library for other programs.
install(FILES ${CMAKE_SOURCE_DIR}/pellomir/include/pellomir/Pellomir.h
              ${CMAKE_SOURCE_DIR}/pellomir/include/pellomir/PellomirTypes.h
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
  # Not every folder the rules make gets the default permissions: each folder
  # this install made is readable by all, whatever the installer's umask.
  foreach(_kel_c ${_kel_new_folders})
    if(IS_DIRECTORY "${_kel_prefix}/${_kel_c}" AND NOT IS_SYMLINK "${_kel_prefix}/${_kel_c}")
      file(CHMOD "${_kel_prefix}/${_kel_c}" DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
    endif()
  endforeach()
  if("$ENV{DESTDIR}" STREQUAL "")
    # The record of this install: the folders it made and every file it put
    # in place, relative to the prefix; kel-register adds its own.
    set(_kel_text "")
    foreach(_kel_c ${_kel_new_folders})
      if(IS_DIRECTORY "${_kel_prefix}/${_kel_c}")
        string(APPEND _kel_text "folder\t${_kel_c}\n")
      endif()
    endforeach()
    foreach(_kel_f ${CMAKE_INSTALL_MANIFEST_FILES})
      get_filename_component(_kel_f "${_kel_f}" ABSOLUTE)
      file(RELATIVE_PATH _kel_rel "${_kel_prefix}" "${_kel_f}")
      string(APPEND _kel_text "file\t${_kel_rel}\n")
    endforeach()
    string(RANDOM LENGTH 16 _kel_tag)
    set(_kel_draft "${_kel_build}/install/manifest-${_kel_tag}.txt")
    file(WRITE "${_kel_draft}" "${_kel_text}")
    execute_process(COMMAND "${_kel_prefix}/kel-register" install "${_kel_prefix}" --manifest "${_kel_draft}"
                    RESULT_VARIABLE _kel_rc)
    file(REMOVE "${_kel_draft}")
    if(NOT _kel_rc EQUAL 0)
      message(FATAL_ERROR "kel-register failed: the installation is not registered")
    endif()
  else()
    message(STATUS "Staged install: the installation is registered when the package is installed")
  endif()
]])

# ---------------------------------------------------------------------------
# A Debian package: cpack in the build folder. The program folder is /opt/KEL;
# the menu entry, the icon, the copyright file, the changelog and the notes
# for lintian lie where Debian expects them (component "debian", which a plain
# install leaves out).
set(KEL_PACKAGE_MAINTAINER "KEL maintainers <maintainers@users.noreply.c-seed-920e023a.example>"
  CACHE STRING "Maintainer field of the Debian package")
set(_kel_deb ${CMAKE_BINARY_DIR}/debian)
configure_file(${CMAKE_SOURCE_DIR}/cmake/install/kel.desktop ${_kel_deb}/kel.desktop COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/cmake/install/copyright ${_kel_deb}/copyright COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/cmake/install/lintian-overrides ${_kel_deb}/kel COPYONLY)
# Debian keeps changelogs compressed, without a time stamp in the header.
find_program(KEL_GZIP gzip)
add_custom_command(OUTPUT ${_kel_deb}/changelog.gz
  COMMAND ${KEL_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/cmake/install/changelog > ${_kel_deb}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/install/changelog VERBATIM)
add_custom_target(kel_package_files ALL DEPENDS ${_kel_deb}/changelog.gz)
install(FILES ${_kel_deb}/kel.desktop DESTINATION /usr/share/applications COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kel.svg DESTINATION /usr/share/icons/hicolor/scalable/apps
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${_kel_deb}/copyright ${_kel_deb}/changelog.gz DESTINATION /usr/share/doc/kel
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${_kel_deb}/kel DESTINATION /usr/share/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and downloader for in-vehicle video recorder media")
# The synopsis is the summary above; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "KEL reads the hard disks and SD cards of in-vehicle video recorders, attached
to this computer as drives or as folders of exported files. It searches the
recordings by disk, channel, day and record type, plays them in a grid of up
to 16 windows with the vehicle's GPS position, speed, G-sensor values and
state, searches alarms, pictures and device logs, and saves clips, downloads
and snapshots.
.
The package also holds Lorrimax, the batch downloader that KEL starts, and
Pellomir, the disk library with a plain C interface, with its header,
pkg-config file and CMake package for other programs. Everything lies in the
program folder /opt/KEL.")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/KEL)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};KEL;ALL;/" "${CMAKE_BINARY_DIR};KEL;debian;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
# Loaded at run time and so not seen by the dependency scan: Qt's picture
# plug-in for the SVG icons, and Qt's media playback with the GStreamer
# elements it needs for the alarm sound (a WAV file: the player, the WAV
# reader, the automatic audio output and its sound-server output from
# plugins-good; the sound-card output for systems without a sound server).
# The desktop's opener, which shows the user manual and the licence folder.
# Qt's own catalogues put its file and folder dialogs into the operator's
# language.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt5svg5, libqt5multimedia5-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, xdg-utils, qttranslations5-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-alsa")
# Stripped programs and libraries; the debugging data stays in the build
# folder's copies (CPack's own -dbgsym package lists its files under the
# build folder's path, which dpkg cannot check).
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/cmake/install/postinst ${CMAKE_SOURCE_DIR}/cmake/install/prerm
  ${CMAKE_SOURCE_DIR}/cmake/install/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Every folder of the package is readable by all, whatever the umask of the
# one who builds it.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/install/package-folders.cmake)
include(CPack)
