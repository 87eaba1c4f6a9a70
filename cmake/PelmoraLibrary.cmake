# The game's layers. Each folder under src/ is one static library, and this
# table is the one place that says which layers a layer may use (directly or
# through the layers it uses). The libraries link by it, and the include check
# reads it, so a header of a layer that is not allowed neither builds nor passes.
set(PEL_LAYERS platform scramble app ui net recipes game screens)
set(PEL_USES_platform "")
set(PEL_USES_scramble "")
set(PEL_USES_app platform scramble)
set(PEL_USES_ui app)
set(PEL_USES_net app scramble)
set(PEL_USES_recipes ui app)
set(PEL_USES_game recipes net ui app)
set(PEL_USES_screens game recipes net ui app)

# pel_layer(FOLDER [PRIVATE_LIBS lib...] [PUBLIC_HEADERS h...]): the library
# pel_<folder> from every .cpp of src/<folder>, linked to the layers of
# PEL_USES_<folder>. Its include root lives in the build tree and holds only
# this folder, reached as "<folder>/Name.h"; nothing else of src/ is on the
# path. With PUBLIC_HEADERS, only those headers are reachable from outside;
# the folder's own sources see all of it, and pel_<folder>_internals gives
# the rest of the folder to the targets made to measure or test it.
function(pel_layer folder)
  cmake_parse_arguments(L "" "" "PRIVATE_LIBS;PUBLIC_HEADERS" ${ARGN})
  set(name pel_${folder})
  set(internal_root ${CMAKE_BINARY_DIR}/include-internal/${folder})
  file(MAKE_DIRECTORY ${internal_root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${internal_root}/${folder} SYMBOLIC)
  if(L_PUBLIC_HEADERS)
    set(public_root ${CMAKE_BINARY_DIR}/include/${folder})
    file(REMOVE_RECURSE ${public_root})
    file(MAKE_DIRECTORY ${public_root}/${folder})
    foreach(header ${L_PUBLIC_HEADERS})
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${public_root}/${folder}/${header} SYMBOLIC)
    endforeach()
  else()
    set(public_root ${internal_root})
  endif()

  set(uses "")
  foreach(layer ${PEL_USES_${folder}})
    list(APPEND uses pel_${layer})
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${public_root})
  if(NOT public_root STREQUAL internal_root)
    target_include_directories(${name} PRIVATE ${internal_root})
    add_library(${name}_internals INTERFACE)
    target_include_directories(${name}_internals INTERFACE ${internal_root})
    target_link_libraries(${name}_internals INTERFACE ${name} ${L_PRIVATE_LIBS})
  endif()
  target_link_libraries(${name} PUBLIC ${uses} PRIVATE ${L_PRIVATE_LIBS})
endfunction()

# pel_test(NAME SOURCES... LIBS lib...): one GoogleTest executable registered with CTest.
function(pel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy;PELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};PELMORA_BUILD_DIR=${CMAKE_BINARY_DIR};XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
endfunction()
