# ravelock config, run as a user runs it: each step checks the exit status
# and the output. Called with -DPROGRAM=ravelock, -DEMULATOR=wine (or empty)
# and -DFILE=the options file to work on.
set(command ${PROGRAM})
if(EMULATOR)
  set(command ${EMULATOR} ${PROGRAM})
endif()

# The output goes through files, not pipes: a wineserver started by the
# first Windows program would hold a pipe open until it exits.
function(expect status pattern)
  execute_process(COMMAND ${command} config --options-file ${FILE} ${ARGN}
                  RESULT_VARIABLE got OUTPUT_FILE ${FILE}.out ERROR_FILE ${FILE}.err)
  file(READ ${FILE}.out out)
  file(READ ${FILE}.err err)
  if(NOT got EQUAL status OR NOT "${out}${err}" MATCHES "${pattern}")
    list(JOIN ARGN " " arguments)
    message(FATAL_ERROR "config ${arguments}: exit ${got} (expected ${status})\n"
                        "output: ${out}${err}\nexpected to match: ${pattern}")
  endif()
endfunction()

file(REMOVE ${FILE})
expect(0 "^$" set fish_size 2)
expect(0 "^$" set fish_x -- -20)
expect(0 "^$" set VelldatabaseDefaultPath "C:\\keys\\my keys.rlk")
expect(0 "^2\r?\n$" get fish_size)
expect(0 "^C:\\\\keys\\\\my keys.rlk\r?\n$" get VelldatabaseDefaultPath)
expect(0 "fish_size +2\r?\nfish_start +2  \\(default\\)\r?\nfish_x +-20\r?\n" list)
expect(2 "fish_size takes a number from 0 to 2, not '7'" set fish_size 7)
expect(2 "CryKeepFile takes 0 or 1, not 'yes'" set CryKeepFile yes)
expect(2 "unknown option key 'fish_colour'" get fish_colour)
expect(1 "StartUp is not set" get StartUp)

# A damaged file: the programs' default is shown and the damage reported;
# nothing is written into it.
file(WRITE ${FILE} "<?xml version=\"1.0\"?><users_settings/>")
expect(1 "^0\r?\n.*damaged" get fish_size)
expect(1 "damaged" set fish_size 1)
file(READ ${FILE} left)
if(NOT left STREQUAL "<?xml version=\"1.0\"?><users_settings/>")
  message(FATAL_ERROR "the damaged file was changed: ${left}")
endif()

# A file cut short (its last end tag lost) holds other users' sections: it
# is reported and kept, never replaced by a fresh document.
set(cut "<users_settings><alice><fish_size>1</fish_size></alice>")
file(WRITE ${FILE} "${cut}")
expect(1 "damaged" set fish_size 2)
file(READ ${FILE} left)
if(NOT left STREQUAL "${cut}")
  message(FATAL_ERROR "the file cut short was changed: ${left}")
endif()
