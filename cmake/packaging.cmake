# Installing and packaging beyond the program and its pictures: the icon, the
# desktop entry, the AppStream metadata, the manual pages and the Debian
# package made by CPack (`cmake --build BUILD --target package`, or
# tools/build_package.sh for a hardened build). Texts live in tools/package/.
# Relies on the icon and bmpcheck targets of tools/, which need libpng;
# without them nothing here is installed and no package is offered.
#
# Windows: group_g-VERSION-windows-x86_64.zip, the run folder as it is (the
# program, bmpcheck, the five pictures, a short read-me and the licence, in
# one folder), to be unpacked anywhere and started from there; and
# group_g-VERSION-windows-x86_64-setup.exe, which installs the same files
# with a Start menu shortcut and an uninstaller (NSIS, through the template
# in tools/package/windows/). tools/build_windows.sh builds both; nothing
# else here is for Windows.
if(WIN32)
  install(TARGETS group_g bmpcheck RUNTIME DESTINATION .)
  install(FILES ${GROUP_G_PICTURE_FILES} DESTINATION .)
  # Windows' own line ends, so that Notepad shows the lines.
  foreach(text platform/win32/README.txt LICENSE)
    get_filename_component(name ${text} NAME_WE)
    file(READ ${PROJECT_SOURCE_DIR}/${text} content)
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${CMAKE_BINARY_DIR}/${name}.txt "${content}")
    install(FILES ${CMAKE_BINARY_DIR}/${name}.txt DESTINATION .)
  endforeach()

  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_NAME group_g)
  set(CPACK_PACKAGE_VENDOR "the Group G authors")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME group_g-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_STRIP_FILES ON)
  # The setup program: its own name, our template, the program's icon.
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack_per_generator.cmake)
  file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "
    if(CPACK_GENERATOR STREQUAL NSIS)
      set(CPACK_PACKAGE_FILE_NAME \"\${CPACK_PACKAGE_FILE_NAME}-setup\")
    endif()\n")
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/tools/package/windows)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Group G")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Group G")
  set(CPACK_NSIS_PACKAGE_NAME "Group G")
  set(CPACK_NSIS_DISPLAY_NAME "Group G")
  set(CPACK_NSIS_INSTALLED_ICON_NAME group_g.exe)
  set(CPACK_NSIS_MUI_ICON ${GROUP_G_ICO})
  set(CPACK_NSIS_MUI_UNIICON ${GROUP_G_ICO})
  set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt)
  include(CPack)
  return()
endif()

set(GROUP_G_APP_ID org.example.GroupG CACHE STRING
    "Desktop and AppStream identity (reverse domain name of the project)")
set(GROUP_G_PROJECT_URL https://example.org/group-g CACHE STRING
    "The project's home page, named in the package and its metadata")
set(GROUP_G_SCREENSHOT_URL ${GROUP_G_PROJECT_URL}/docs/screenshot.png CACHE STRING
    "Where software centres fetch the screenshot (docs/screenshot.png)")
set(GROUP_G_MAINTAINER "Group G maintainers <maintainers@users.noreply.c-seed-7e65e3d5.example>"
    CACHE STRING "Maintainer named in the package")

if(NOT TARGET icons OR NOT TARGET bmpcheck)
  message(STATUS "no icon or bmpcheck (libpng-dev missing): no desktop files, no package")
  return()
endif()

set(package_texts ${PROJECT_SOURCE_DIR}/tools/package)
set(package_dir ${CMAKE_BINARY_DIR}/package)
set(GROUP_G_VERSION ${PROJECT_VERSION})

# The changelog's newest entry and the metadata's newest release must name
# the version being built: a version bump without them is caught here rather
# than by users of the package.
file(STRINGS ${package_texts}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^group-g \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "tools/package/changelog starts with '${changelog_head}', "
                      "not an entry for version ${PROJECT_VERSION}")
endif()
file(STRINGS ${package_texts}/group-g.metainfo.xml.in releases REGEX "<release ")
list(GET releases 0 newest_release)
if(NOT newest_release MATCHES "version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "the newest release in tools/package/group-g.metainfo.xml.in is not "
                      "${PROJECT_VERSION}: ${newest_release}")
endif()

configure_file(${package_texts}/group-g.metainfo.xml.in
               ${package_dir}/${GROUP_G_APP_ID}.metainfo.xml @ONLY)
configure_file(${package_texts}/copyright ${package_dir}/copyright @ONLY)

# Manual pages and the changelog are installed compressed, without a time
# stamp in the gzip header so that a rebuild makes the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed)
foreach(text group_g.6 bmpcheck.1 changelog)
  configure_file(${package_texts}/${text} ${package_dir}/${text} @ONLY)
  add_custom_command(OUTPUT ${package_dir}/${text}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -f -k ${package_dir}/${text}
    DEPENDS ${package_dir}/${text}
    COMMENT "Compressing ${text}")
  list(APPEND compressed ${package_dir}/${text}.gz)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${compressed})

install(FILES ${package_dir}/group_g.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${package_dir}/bmpcheck.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_dir}/copyright ${package_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/group-g)
install(FILES ${package_dir}/${GROUP_G_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${GROUP_G_ICON_SIZES})
  install(FILES ${GROUP_G_ICON_DIR}/group-g-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME group-g.png)
endforeach()

# The desktop entry names the program by its installed path, which is known
# only when installing (cmake --install --prefix, or the package's /usr).
install(CODE "
  set(GROUP_G_GAMESDIR \"${GROUP_G_INSTALL_GAMESDIR}\")
  set(GROUP_G_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  set(GROUP_G_APP_ID \"${GROUP_G_APP_ID}\")
  set(GROUP_G_TEMPLATE \"${package_texts}/group-g.desktop.in\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/install_desktop_entry.cmake\")")

# ---- The Debian package: group-g_VERSION_ARCH.deb
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME group-g)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_CONTACT "${GROUP_G_MAINTAINER}")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/deb)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${GROUP_G_PROJECT_URL})
  # Libraries come from the binaries themselves, except GTK 3, which the
  # program loads when its first message box appears, so it is named here.
  # Fonts are looked up at run time, so they are named too: the title's
  # face, and a Hangul outline font, without which every team's box would
  # show empty squares where its Korean text should be.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-comic-neue, fonts-nanum | fonts-noto-cjk, libgtk-3-0")
  # A decorations plugin draws the title bar and close button of a native
  # Wayland window, which GNOME's compositor leaves to the program. It is
  # recommended rather than required: X11 is the first choice wherever
  # DISPLAY is set, and a window without it still shows the scene and ends
  # on Esc. Recommends are installed by default.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libdecor-0-plugin-1-cairo | libdecor-0-plugin-1")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D presentation of group G of a football tournament")
  # The extended description, which CPack indents and puts below the summary.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Four spheres, each wrapped in its team's flag (Korea at the centre; Togo,
France and Switzerland orbiting it), turn in front of a football pitch under
a tumbling extruded 3D title. Clicking an object shows a team's world
ranking and result, or the group standings. Function keys switch between
window and fullscreen and turn lighting, textures, wire-frame spheres and
outlines on and off.

The pictures are plain BMP files, and a folder of one's own replaces any of
them; bmpcheck tells whether a file loads.")
  include(CPack)
endif()
