# Each subsystem folder src/<name>/ holds its GUI-free core at the top (target
# kelta_<name>, no Qt) and its Qt code under ui/ (target kelta_<name>_ui).
# Sources are collected from the folders, so adding a file needs no edit here.
#
#   kelta_subsystem(<name> CORE_LIBS ... UI_LIBS ...)
function(kelta_subsystem name)
  cmake_parse_arguments(ARG "" "" "CORE_LIBS;UI_LIBS" ${ARGN})
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # main.cpp is a program's entry, never part of a library.
  list(FILTER core_sources EXCLUDE REGEX "/main\\.cpp$")
  if(core_sources)
    kelta_static_library(kelta_${name} SOURCES ${core_sources} LIBS ${ARG_CORE_LIBS})
    # The core never sees Qt: no moc for it.
    set_target_properties(kelta_${name} PROPERTIES AUTOMOC OFF AUTORCC OFF)
  else()
    add_library(kelta_${name} INTERFACE)
    target_include_directories(kelta_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(kelta_${name} INTERFACE ${ARG_CORE_LIBS})
  endif()

  if(KELTA_WITH_QT)
    file(GLOB ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.qrc)
    if(ui_sources)
      kelta_static_library(kelta_${name}_ui SOURCES ${ui_sources} LIBS kelta_${name} ${ARG_UI_LIBS})
    else()
      add_library(kelta_${name}_ui INTERFACE)
      target_link_libraries(kelta_${name}_ui INTERFACE kelta_${name} ${ARG_UI_LIBS})
    endif()
  endif()
endfunction()
