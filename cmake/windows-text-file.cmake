# Writes a text file as Windows' own editors read it everywhere, Notepad on Windows 7
# included: UTF-8 with a byte-order mark and CR LF line ends.
#   cmake -DINPUT=... -DOUTPUT=... [-DKEEP=gui|cli] -P windows-text-file.cmake
# With KEEP, a line that starts with "[gui]" or "[cli]" is kept, without the mark, only
# when it names KEEP: the text says how to start what the package holds.
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
if(DEFINED KEEP)
  if(KEEP STREQUAL "gui")
    set(drop "cli")
  else()
    set(drop "gui")
  endif()
  string(REGEX REPLACE "(^|\n)\\[${drop}\\][^\n]*" "\\1<drop>" text "${text}")
  string(REPLACE "<drop>\n" "" text "${text}")
  string(REGEX REPLACE "(^|\n)\\[${KEEP}\\] ?" "\\1" text "${text}")
endif()
string(ASCII 239 187 191 bom)
string(ASCII 13 cr)
string(REPLACE "\n" "${cr}\n" text "${text}")
file(WRITE "${OUTPUT}" "${bom}${text}")
