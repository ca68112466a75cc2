# Runs at install time, so the entry names the program where this install
# put it (cmake --install --prefix included, and the package's /usr), not
# where the build was configured to.
set(GROUP_G_INSTALLED_PROGRAM "${CMAKE_INSTALL_PREFIX}/${GROUP_G_GAMESDIR}/group_g")
if(IS_ABSOLUTE "${GROUP_G_GAMESDIR}")
  set(GROUP_G_INSTALLED_PROGRAM "${GROUP_G_GAMESDIR}/group_g")
endif()
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${GROUP_G_DATADIR}/applications/${GROUP_G_APP_ID}.desktop")
configure_file("${GROUP_G_TEMPLATE}" "${entry}" @ONLY)
file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
message(STATUS "Installing: ${entry}")
