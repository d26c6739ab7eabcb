# Turns the expert advisor's source into a C++ translation unit: the
# compatibility header first, then the source itself with its #property lines
# emptied (they are the terminal's, not the language's), line numbers kept so
# that compiler messages point into the .mq4. HEADER names the header of the
# advisor's language (mql4.h unless given).
if(NOT HEADER)
    set(HEADER mql4.h)
endif()
file(READ "${SOURCE}" text)
string(REGEX REPLACE "(^|\n)[ \t]*#property[^\n]*" "\\1" text "${text}")
file(WRITE "${OUTPUT}.tmp" "#include \"${HEADER}\"\n#line 1 \"${SOURCE}\"\n${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
