# Run by `cmake --install` (and by cpack) before the game is installed: picks
# the game's folder from the install prefix, which only the install step
# knows, and installs the desktop entry that starts the game from there.
#
# Under /usr and /usr/local the game goes in games/, where Debian puts games
# (/usr/games and /usr/local/games are both on Debian's PATH); under any
# other prefix, such as ~/.local for one user, in bin/.
#
# Set by the build before this runs: QUORVEL_SOURCE_DIR, QUORVEL_SCRATCH_DIR
# (a folder of the build's own) and QUORVEL_APPLICATIONS_DIR (relative to the
# prefix). Leaves QUORVEL_GAME_DIR set for the game's own install rule.

if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/*$")
  set(QUORVEL_GAME_DIR games)
else()
  set(QUORVEL_GAME_DIR bin)
endif()

# The entry names the game by its installed path, so that it starts whatever
# PATH the desktop session has. A path with characters that the Exec key
# reserves is written the way desktop entries quote it: in double
# quotes with \ " ` $ escaped, then every backslash doubled again, as in any
# string value; a literal % is doubled.
get_filename_component(exec "${CMAKE_INSTALL_PREFIX}/${QUORVEL_GAME_DIR}/quorvel" ABSOLUTE)
if(exec MATCHES "[^-A-Za-z0-9_./+,:@]")
  foreach(reserved "\\" "\"" "`" "$")
    string(REPLACE "${reserved}" "\\${reserved}" exec "${exec}")
  endforeach()
  string(REPLACE "\\" "\\\\" exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")

file(READ "${QUORVEL_SOURCE_DIR}/data/quorvel.desktop" entry)
string(FIND "${entry}" "\nExec=quorvel\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "data/quorvel.desktop has no line Exec=quorvel")
endif()
string(REPLACE "\nExec=quorvel\n" "\nExec=${exec}\n" entry "${entry}")

# Written first to a scratch folder of its own per destination, so that
# installs running side by side (the tests') never pick up each other's
# entry; file(INSTALL) then honours DESTDIR and the install manifest as the
# other rules do.
string(MD5 destination "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(entry_dir "${QUORVEL_SCRATCH_DIR}/${destination}")
file(WRITE "${entry_dir}/quorvel.desktop" "${entry}")
file(INSTALL "${entry_dir}/quorvel.desktop"
  DESTINATION "${CMAKE_INSTALL_PREFIX}/${QUORVEL_APPLICATIONS_DIR}")
file(REMOVE_RECURSE "${entry_dir}")
