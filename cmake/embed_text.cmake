# Turns a text file into a C++ source that defines it as a NUL-terminated char array:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=identifier -DHEADER=include -P embed_text.cmake
# The bytes go in unchanged (CR LF line ends included), so the file stays the one source of
# the text.
file(READ "${INPUT}" bytes HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
# A line break after every 16 bytes keeps the generated file readable in a compiler message.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
     "// Generated from ${INPUT} at build time; edit that file instead.\n"
     "#include \"${HEADER}\"\n\n"
     "const char ${NAME}[] = {\n    ${bytes}0};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
