# Installing and shipping: the installed tree and the desktop entry, the
# Debian package and a Debian maintainer's checks of it, the manual page
# against the game's options, and both windows on a 192-dpi screen.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(DPKG_DEB dpkg-deb)
find_program(IMAGEMAGICK_CONVERT convert)
find_program(XVFB Xvfb)
find_program(XDOTOOL xdotool)
find_program(XPROP xprop)

if(DESKTOP_FILE_VALIDATE AND IMAGEMAGICK_CONVERT)
  add_test(NAME ship_install
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ship/install_test.sh ${CMAKE_BINARY_DIR}
            ${CMAKE_COMMAND})
  set_tests_properties(ship_install PROPERTIES TIMEOUT 60 LABELS ship)
  # A sanitizer build links the sanitizers' runtimes and libraries the
  # release build leaves out: not a package anyone ships. The package is
  # made from a Release build, as the README makes it: this build when it is
  # one, else one of its own kept beside it, brought up to date first (alone,
  # as it takes both cores).
  if(DPKG_DEB AND NOT QUORVEL_SANITIZE)
    if(CMAKE_BUILD_TYPE STREQUAL "Release")
      set(release_build ${CMAKE_BINARY_DIR})
    else()
      set(release_build ${CMAKE_BINARY_DIR}/ship-release)
      add_test(NAME ship_release_build
        COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ship/release_build.sh ${CMAKE_SOURCE_DIR}
                ${release_build} ${CMAKE_COMMAND} ${CMAKE_GENERATOR} ${CMAKE_C_COMPILER}
                ${CMAKE_CXX_COMPILER})
      set_tests_properties(ship_release_build PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE
        FIXTURES_SETUP ship_release LABELS ship)
    endif()
    add_test(NAME ship_deb
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ship/deb_test.sh ${release_build}
              ${CMAKE_CPACK_COMMAND})
    set_tests_properties(ship_deb PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED ship_release
      LABELS ship)
  endif()
endif()

if(TARGET quorvel)
  add_test(NAME ship_manual_page
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ship/manual_page_test.sh $<TARGET_FILE:quorvel>
            ${CMAKE_SOURCE_DIR})
  set_tests_properties(ship_manual_page PROPERTIES TIMEOUT 30 LABELS ship)
endif()

if(TARGET quorvel AND XVFB AND XDOTOOL AND XPROP AND IMAGEMAGICK_CONVERT)
  add_test(NAME e2e_hidpi COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/hidpi_e2e.sh
                                   $<TARGET_FILE:quorvel>)
  set_tests_properties(e2e_hidpi PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE LABELS e2e)
endif()
