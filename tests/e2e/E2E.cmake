# The qbittorrent-nox fixture of the end-to-end tests, for any test folder.
#
# CTest fixture `seedwhirl_qbt_server`: the test e2e_server_start runs
# `tools/qbt_server.py start` (a throw-away qbittorrent-nox on a free 127.0.0.1 port with a fresh
# profile in <build>/tests/e2e/server: legal notice accepted, DHT/LSD/PeX off, a high
# authentication-failure limit, save path inside the profile) and e2e_server_stop stops it after
# the last test that requires it, whether that test passed or not. `ctest -L e2e` or
# `ctest -R <one e2e test>` brings both in by itself.
#
# seedwhirl_add_e2e_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>])
#   A QtTest executable (through seedwhirl_add_test, label e2e) that requires the fixture and
#   links seedwhirl_e2e_support: E2EServer::fromEnvironment() in tests/e2e/E2EServer.h gives the
#   server's address, credentials and save path and can restart it.
#
# seedwhirl_require_e2e_server(<test names...>)
#   The same for tests added some other way (a QML test runner, a script): label e2e, the
#   fixture, the lock, and SEEDWHIRL_E2E_ENV in the environment.
#
# What a test gets: the environment variable SEEDWHIRL_E2E_ENV names a file of KEY=VALUE lines
# (SEEDWHIRL_E2E_HOST, _PORT, _USERNAME, _PASSWORD, _SAVE_PATH, _PROFILE, and _STATE_DIR,
# _PYTHON, _TOOL for a restart). All e2e tests share one server and hold the lock
# `seedwhirl_qbt_server` while they run (one of them may restart it), so they never run at the
# same time; what one leaves on the server the next one sees. Keep to your own: data in your
# own directory under the save path, your own category and tag names, and delete your torrents.
#
# tests/e2e/CMakeLists.txt includes this file; a folder processed before it (its name sorts
# before "e2e") includes it itself: include(${PROJECT_SOURCE_DIR}/tests/e2e/E2E.cmake).
include_guard(GLOBAL)

set_property(GLOBAL PROPERTY SEEDWHIRL_E2E_ENV_FILE ${PROJECT_BINARY_DIR}/tests/e2e/server/server.env)

function(seedwhirl_require_e2e_server)
  get_property(env_file GLOBAL PROPERTY SEEDWHIRL_E2E_ENV_FILE)
  foreach(test ${ARGN})
    get_property(labels TEST ${test} PROPERTY LABELS)
    if(NOT "e2e" IN_LIST labels)
      set_property(TEST ${test} APPEND PROPERTY LABELS e2e)
    endif()
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED seedwhirl_qbt_server)
    set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK seedwhirl_qbt_server)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "SEEDWHIRL_E2E_ENV=${env_file}")
  endforeach()
endfunction()

function(seedwhirl_add_e2e_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  seedwhirl_add_test(NAME ${T_NAME} LABEL e2e SOURCES ${T_SOURCES} LIBS seedwhirl_e2e_support ${T_LIBS}
    TIMEOUT ${T_TIMEOUT})
  seedwhirl_require_e2e_server(${T_NAME})
endfunction()
