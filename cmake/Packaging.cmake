# What `cmake --install` puts under the prefix, and the two Debian packages
# `make package` builds from it with CPack: pelmora (the game) and
# pelmora-server (the service).

find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(PELMORA_RSVG rsvg-convert REQUIRED)

set(PELMORA_APP_ID net.pelmora.Pelmora)
# The version of the packages is the game's own version text.
file(READ ${PROJECT_SOURCE_DIR}/assets/version.txt PELMORA_PACKAGE_VERSION)
string(STRIP "${PELMORA_PACKAGE_VERSION}" PELMORA_PACKAGE_VERSION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/version.txt)

# The application icon, drawn by the art generator: a scalable SVG, the PNG
# sizes a desktop asks for, and the window's icon beside the game.
set(_icons ${CMAKE_BINARY_DIR}/icons)
set(_icon_sizes 48 64 128 256)
set(_icon_files ${_icons}/pelmora.svg)
foreach(size ${_icon_sizes})
  list(APPEND _icon_files ${_icons}/pelmora-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${_icon_files}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/artgen/appicon.py --out ${_icons} --rsvg ${PELMORA_RSVG}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/artgen/appicon.py ${PROJECT_SOURCE_DIR}/tools/artgen/food.py
          ${PROJECT_SOURCE_DIR}/tools/artgen/svg.py
  COMMENT "Drawing the application icon"
  VERBATIM)
add_custom_command(
  OUTPUT ${PELMORA_GAME_DIR}/icon.png
  COMMAND ${CMAKE_COMMAND} -E copy ${_icons}/pelmora-128.png ${PELMORA_GAME_DIR}/icon.png
  DEPENDS ${_icons}/pelmora-128.png
  VERBATIM)
add_custom_target(app-icon ALL DEPENDS ${_icon_files} ${PELMORA_GAME_DIR}/icon.png)

configure_file(${PROJECT_SOURCE_DIR}/deploy/desktop/${PELMORA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/${PELMORA_APP_ID}.metainfo.xml @ONLY)

# The game: the program in games/, its data in share/games/pelmora, where it looks for them.
install(TARGETS pelmora RUNTIME DESTINATION games COMPONENT game)
set(_data ${PELMORA_GAME_DIR}/assets.dat ${PELMORA_GAME_DIR}/icon.png)
foreach(sound buttato mangiato ordine slot_in_scadenza)
  list(APPEND _data ${PELMORA_GAME_DIR}/${sound}.mp3)
endforeach()
install(FILES ${_data} DESTINATION share/games/pelmora COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/desktop/${PELMORA_APP_ID}.desktop
        DESTINATION share/applications COMPONENT game)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${PELMORA_APP_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT game)
foreach(size ${_icon_sizes})
  install(FILES ${_icons}/pelmora-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${PELMORA_APP_ID}.png COMPONENT game)
endforeach()
install(FILES ${_icons}/pelmora.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${PELMORA_APP_ID}.svg COMPONENT game)

# The service: the program, its units, the tables it answers with, and the
# examples for several processes on PostgreSQL behind nginx.
install(TARGETS pelmora-server RUNTIME DESTINATION bin COMPONENT server)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/systemd/pelmora-server.service
              ${PROJECT_SOURCE_DIR}/deploy/systemd/pelmora-server@.service
        DESTINATION lib/systemd/system COMPONENT server)
install(FILES ${PROJECT_SOURCE_DIR}/assets/livelli.txt ${PROJECT_SOURCE_DIR}/assets/ingredienti/ingredienti.txt
        DESTINATION share/pelmora-server COMPONENT server)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/systemd/pelmora-server.env ${PROJECT_SOURCE_DIR}/deploy/nginx/pelmora.conf
        DESTINATION share/doc/pelmora-server/examples COMPONENT server)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VERSION ${PELMORA_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "Pelmora")
set(CPACK_PACKAGE_CONTACT "Pelmora developers <pelmora@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_COMPONENTS_ALL game server)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Library dependencies come from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME pelmora)
set(CPACK_DEBIAN_GAME_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
# Loaded by name at run time, so shlibdeps cannot see them: the face behind "Arial", the browser helper,
# and the libraries opened on first need (sound; the service, whose protocol option needs curl 7.85).
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "fonts-liberation2, libcurl4 (>= 7.85.0), libsdl2-mixer-2.0-0 (>= 2.6.0)")
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_COMPONENT_GAME_DESCRIPTION "Conveyor-belt sushi bar arcade game
 Orders ride around the belt; pick ingredients in the order a recipe allows and
 serve the plate before the customer loses patience.")
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME pelmora-server)
set(CPACK_DEBIAN_SERVER_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION games)
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "nginx, postgresql")
set(CPACK_COMPONENT_SERVER_DESCRIPTION "Account, score and level service for Pelmora
 pelmora-server answers the game's service requests and serves its web pages,
 with SQLite (systemd unit pelmora-server) or PostgreSQL behind nginx
 (pelmora-server@PORT).")
include(CPack)
