# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack on the staged package: every folder gets the permissions
# Debian expects (rwxr-xr-x), whatever the umask of the one who built it.
file(GLOB_RECURSE _kel_entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(_kel_e "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" ${_kel_entries})
  if(IS_DIRECTORY "${_kel_e}" AND NOT IS_SYMLINK "${_kel_e}")
    file(CHMOD "${_kel_e}" DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
