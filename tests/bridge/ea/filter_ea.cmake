# SPDX-License-Identifier: MIT
# Turns the expert advisor's source into a C++ translation unit: the
# compatibility header first, then the source itself with its #property lines
# emptied (they are the terminal's, not the language's), line numbers kept so
# that compiler messages point into the .mq4. HEADER names the header of the
# advisor's language (mql4.h unless given). With NAMESPACE the source goes into
# that namespace: a second copy of the advisor, with globals and inputs of its
# own, as a second chart of the same terminal has.
if(NOT HEADER)
    set(HEADER mql4.h)
endif()
file(READ "${SOURCE}" text)
string(REGEX REPLACE "(^|\n)[ \t]*#property[^\n]*" "\\1" text "${text}")
if(NAMESPACE)
    set(text "namespace ${NAMESPACE} {\n#line 1 \"${SOURCE}\"\n${text}\n}\n")
else()
    set(text "#line 1 \"${SOURCE}\"\n${text}")
endif()
file(WRITE "${OUTPUT}.tmp" "#include \"${HEADER}\"\n${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
