# Turns a program file into a C++ source holding its bytes (cmake -DIN=... -DOUT=... -P embed.cmake).
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" length)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n#include \"app/embedded_program.h\"\n\nnamespace {\nconstexpr unsigned char kBytes[] = {\n${bytes}0};\n}\n\nnamespace EmbeddedProgram {\nstd::string_view Text() { return {reinterpret_cast<const char*>(kBytes), sizeof kBytes - 1}; }\n}\n")
