# Runs at install time, so the entry names the folders of the prefix actually
# installed to (cmake --install --prefix included), not the configured one.
set(prefix "${CMAKE_INSTALL_PREFIX}")
set(GROUP_G_INSTALLED_BIN "${prefix}/${GROUP_G_BINDIR}/group_g")
set(GROUP_G_INSTALLED_DATA "${prefix}/${GROUP_G_DATADIR}/group_g")
set(entry "$ENV{DESTDIR}${prefix}/${GROUP_G_DATADIR}/applications/group_g.desktop")
configure_file("${GROUP_G_TEMPLATE}" "${entry}" @ONLY)
message(STATUS "Installing: ${entry}")
