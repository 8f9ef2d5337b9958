# Cross-builds for Windows x86-64 with MinGW-w64 (g++-mingw-w64-x86-64-posix) against a Qt 6 for MinGW.
# Q42_QT_MINGW (cache or environment variable) names a Qt for MinGW of one's own; otherwise the kit
# qt6.4.2-mingw-w64.tar.xz is unpacked into build-windows/ from Q42_QT_MINGW_ARCHIVE, or from the
# shared folder beside this checkout.
if(NOT Q42_QT_MINGW AND DEFINED ENV{Q42_QT_MINGW})
  set(Q42_QT_MINGW "$ENV{Q42_QT_MINGW}")
endif()
if(NOT Q42_QT_MINGW)
  get_filename_component(_q42_source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  set(Q42_QT_MINGW "${_q42_source}/build-windows/qt6-mingw")
  if(NOT EXISTS "${Q42_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
    set(_q42_archive "$ENV{Q42_QT_MINGW_ARCHIVE}")
    if(NOT _q42_archive AND EXISTS "${_q42_source}/../shared/qt6-mingw/qt6.4.2-mingw-w64.tar.xz")
      set(_q42_archive "${_q42_source}/../shared/qt6-mingw/qt6.4.2-mingw-w64.tar.xz")
    endif()
    if(NOT _q42_archive)
      message(FATAL_ERROR "No Qt for MinGW: set Q42_QT_MINGW to the folder of a Qt 6 built for x86_64-w64-mingw32 "
                          "(with Widgets and SerialPort), or Q42_QT_MINGW_ARCHIVE to qt6.4.2-mingw-w64.tar.xz.")
    endif()
    message(STATUS "Unpacking ${_q42_archive}")
    file(MAKE_DIRECTORY "${_q42_source}/build-windows")
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar xJf "${_q42_archive}"
                    WORKING_DIRECTORY "${_q42_source}/build-windows" RESULT_VARIABLE _q42_rc)
    if(NOT _q42_rc EQUAL 0)
      message(FATAL_ERROR "Could not unpack ${_q42_archive}")
    endif()
  endif()
endif()
find_program(_q42_mingw_gxx x86_64-w64-mingw32-g++-posix)
if(NOT _q42_mingw_gxx)
  message(FATAL_ERROR "No MinGW-w64 compiler: install g++-mingw-w64-x86-64-posix (scripts/install-deps.sh --windows).")
endif()
set(Q42_QT_MINGW "${Q42_QT_MINGW}" CACHE PATH "Qt 6 for MinGW-w64 to build the Windows programs against")
set(ENV{Q42_QT_MINGW} "${Q42_QT_MINGW}")  # seen again by the compiler checks, which run this file anew
include("${Q42_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
