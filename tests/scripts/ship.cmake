# Installing and shipping: the installed tree and the desktop entry, the
# Debian package, and both windows on a 192-dpi screen.
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
  # release build leaves out: not a package anyone ships.
  if(DPKG_DEB AND NOT QUORVEL_SANITIZE)
    add_test(NAME ship_deb
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ship/deb_test.sh ${CMAKE_BINARY_DIR}
              ${CMAKE_CPACK_COMMAND})
    set_tests_properties(ship_deb PROPERTIES TIMEOUT 120 LABELS ship)
  endif()
endif()

if(TARGET quorvel AND XVFB AND XDOTOOL AND XPROP AND IMAGEMAGICK_CONVERT)
  add_test(NAME e2e_hidpi COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/hidpi_e2e.sh
                                   $<TARGET_FILE:quorvel>)
  set_tests_properties(e2e_hidpi PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE LABELS e2e)
endif()
