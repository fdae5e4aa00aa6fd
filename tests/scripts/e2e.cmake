# The real game in a private X server (Xvfb), driven through XTest.
pkg_check_modules(X11 IMPORTED_TARGET x11)
if(X11_FOUND)
  add_executable(send_wm_delete tests/e2e/send_wm_delete.c)
  target_link_libraries(send_wm_delete PRIVATE PkgConfig::X11)
  add_executable(grab_frames tests/e2e/grab_frames.c)
  target_link_libraries(grab_frames PRIVATE PkgConfig::X11)
  # Counts the distinct pictures the game shows, from inside it (LD_PRELOAD).
  add_library(count_pictures MODULE tests/e2e/count_pictures.c)
  target_link_libraries(count_pictures PRIVATE PkgConfig::SDL2 ${CMAKE_DL_LIBS})
  # Windows destroyed by another program just as SDL redoes their resources.
  add_executable(windows_gone tests/e2e/windows_gone.cpp)
  target_link_libraries(windows_gone PRIVATE quorvel_sdl)
  if(TARGET quorvel)
    add_test(NAME e2e_real_window
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/game_e2e.sh $<TARGET_FILE:quorvel>
              $<TARGET_FILE:send_wm_delete> $<TARGET_FILE:quorvel-sim>
              $<TARGET_FILE:count_pictures> $<TARGET_FILE:grab_frames>
              $<TARGET_FILE:windows_gone>)
    set_tests_properties(e2e_real_window PROPERTIES TIMEOUT 240 RUN_SERIAL TRUE LABELS e2e)
  endif()
endif()
