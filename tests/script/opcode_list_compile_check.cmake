# A compile that must fail: a copy of the opcode list with one opcode added (CASE=handler: a
# well-formed opcode that the interpreter has no handler for; CASE=name: one without a
# mnemonic), compiled against the real sources. Passes only when the compiler refuses and
# its message is the list's own static_assert text, so that an unrelated error cannot pass.
#   cmake -DCXX=... -DSRC=<source dir> -DOUT=<scratch dir> -DCASE=handler|name -P this
if(CASE STREQUAL "handler")
  set(entry "    X(kTestOnly, 0x60, \"TESTONLY\", 0) \\")
  set(unit "${SRC}/src/script/interpreter.cpp")
  set(expect "every opcode in NORV_SCRIPT_OPCODES needs exactly one HANDLER in Run()")
elseif(CASE STREQUAL "name")
  set(entry "    X(kTestOnly, 0x60, \"\", 0) \\")
  set(unit "${SRC}/src/script/disassembler.cpp")
  set(expect "every opcode in NORV_SCRIPT_OPCODES needs a mnemonic")
else()
  message(FATAL_ERROR "CASE must be handler or name")
endif()

file(READ "${SRC}/src/script/opcodes.h" list)
string(FIND "${list}" "    X(kHold," at)
if(at LESS 0)
  message(FATAL_ERROR "the opcode list has no kHold entry to add before")
endif()
string(SUBSTRING "${list}" 0 ${at} head)
string(SUBSTRING "${list}" ${at} -1 tail)
file(WRITE "${OUT}/${CASE}/script/opcodes.h" "${head}${entry}\n${tail}")

# The unchanged sources first compile cleanly, so the refusal below is the added opcode's.
foreach(dir IN ITEMS "${SRC}/src" "${OUT}/${CASE}")
  execute_process(
    COMMAND "${CXX}" -std=c++20 -fsyntax-only -I "${dir}" -I "${SRC}/src" "${unit}"
    RESULT_VARIABLE rc
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
  if(dir STREQUAL "${SRC}/src" AND NOT rc EQUAL 0)
    message(FATAL_ERROR "the unchanged ${unit} does not compile:\n${out}")
  endif()
endforeach()
if(rc EQUAL 0)
  message(FATAL_ERROR "an opcode without a ${CASE} compiled")
endif()
string(FIND "${out}" "${expect}" found)
if(found LESS 0)
  message(FATAL_ERROR "the compile failed without the list's message \"${expect}\":\n${out}")
endif()
message(STATUS "refused as expected: ${expect}")
