# What the Windows cross build needs beyond the toolchain file, from Debian's packages alone:
#   - the Firebird client's headers (firebird-dev), copied apart so that no Linux header folder
#     joins the include path;
#   - GoogleTest built from Debian's sources (googletest), which has no MinGW build;
#   - Wine to run the tests (CMAKE_CROSSCOMPILING_EMULATOR), in a prefix inside the build folder.
# Nothing links the client library itself: the driver loads fbclient.dll when the connection
# first opens, so a program starts without it, and the tests that need the client skip where it
# is missing.

# Firebird headers.
set(MIG_FB_HEADERS ${CMAKE_BINARY_DIR}/firebird-include)
foreach(header ibase.h firebird/Interface.h firebird/IdlFbInterfaces.h)
  if(NOT EXISTS /usr/include/${header})
    message(FATAL_ERROR "/usr/include/${header} is missing: install firebird-dev (scripts/install-deps)")
  endif()
  configure_file(/usr/include/${header} ${MIG_FB_HEADERS}/${header} COPYONLY)
endforeach()
set(FIREBIRD_INCLUDE_DIR ${MIG_FB_HEADERS})

# GoogleTest, as GTest::gtest and GTest::gtest_main like the installed package gives them.
if(MIGRADOR_TESTS)
  set(MIG_GTEST_SOURCE /usr/src/googletest/googletest)
  if(NOT EXISTS ${MIG_GTEST_SOURCE}/src/gtest-all.cc)
    message(FATAL_ERROR "${MIG_GTEST_SOURCE} is missing: install googletest (scripts/install-deps)")
  endif()
  add_library(mig_gtest STATIC ${MIG_GTEST_SOURCE}/src/gtest-all.cc)
  target_include_directories(mig_gtest SYSTEM PUBLIC ${MIG_GTEST_SOURCE}/include PRIVATE ${MIG_GTEST_SOURCE})
  add_library(mig_gtest_main STATIC ${MIG_GTEST_SOURCE}/src/gtest_main.cc)
  target_link_libraries(mig_gtest_main PUBLIC mig_gtest)
  add_library(GTest::gtest ALIAS mig_gtest)
  add_library(GTest::gtest_main ALIAS mig_gtest_main)
  set(GTest_FOUND TRUE)

  # Wine runs every test program through bin/wine-run, in the build folder's own prefix.
  find_program(MIG_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(MIG_WINE NAMES wine64 wine)
  find_program(MIG_WINESERVER NAMES wineserver64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(MIG_WINESERVER NAMES wineserver64 wineserver)
  if(NOT MIG_WINE OR NOT MIG_WINESERVER)
    message(FATAL_ERROR "wine64 is missing: install wine64 (scripts/install-deps)")
  endif()
  set(MIG_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/bin/wine-run
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
    @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/bin/wine-run)
endif()
