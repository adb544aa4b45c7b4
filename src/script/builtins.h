// The families of built-in functions that need no editor. Each returns false for an id it
// does not own; `args` are the popped arguments, first argument first, and the result goes to
// the run-time object's result register.
#pragma once

#include <cstdint>

namespace norv::script {

class Runtime;

// ABS ASC CHR HEX STR VAL SPACE LEN LENMB LEFT(MB) RIGHT(MB) MID(MB) INSTR(MB) LCASE UCASE
// LTRIM RTRIM TRIM RGB LODB STOB ALLOC THROWAWAY ISKANJI and the Japanese code conversions.
bool CallTextBuiltin(int id, const uint32_t* args, Runtime& rt);
// DIR FOPEN FCLOSE FGETS FPUTS FGETINT FPUTINT FSEEK EOF FCOPY FKILL
bool CallFileBuiltin(int id, const uint32_t* args, Runtime& rt);
// DATE TIME ENVIRON DEFAULT BEEP WAIT DOEVENTS MSGBOX INPUTBOX STAYRESIDENT TERMINATE
bool CallSystemBuiltin(int id, const uint32_t* args, Runtime& rt);

}  // namespace norv::script
