#pragma once
// The little language of the supervisor's screens: a screen's function, run again on every
// step while the screen is open, and the function of a button. The text is interpreted as it
// stands. It computes with ten 16-bit variables "i0" to "i9" (0 at the start of each run),
// repeats blocks with a counting loop, chooses blocks with a condition, and calls primitives
// (beep, add, sub, mul, div, rem, wait_ms, wait_sec, sec_from_start, greater_than) or, for any
// other name, the application's hook. The result is 0 when nothing is to happen; any other
// value closes the screen with that value.
//
//   loop(i1,3,1){ ... }   counts i1 from 3 down to 1 (up when start <= stop)
//   if(i2){ ... } else{ ... }     break   continue   return(i3)
//   i4 = add(i4,1)        a value is a literal of digits or a variable
//
// Every statement is followed by one separating character (a blank or a line end). A malformed
// statement ends the function quietly with 0.
//
// Points the language leaves open, settled here:
// - div and rem by 0 give 0;
// - a loop ends once its variable has reached the stop value, even when the stop is a limit
//   that a 16-bit variable cannot pass (32767 up, -32768 down); a loop whose block keeps
//   setting its variable back ends after 100 000 rounds all the same;
// - a block ends at the "}" that closes it, nested blocks included, and scanning resumes after
//   it; blocks nest at most 16 deep;
// - wait_ms and wait_sec let the program's messages run while they wait.

#include <cstdint>

constexpr short kSupNoAnswer = -32500;  // a name nobody knows; also the end of a block
constexpr short kSupContinue = -32501;
constexpr int32_t kSupMaxRounds = 100000;

// Runs `text`. With null variables it is a whole function (fresh variables, level 0);
// otherwise a block one level below `*level`, from `text` to its closing "}".
short executer_fonction(const char* text, short* variables = nullptr, short* level = nullptr);
// Copies the word (letters, digits, "_") starting at `text` into `word` (101 bytes) and returns
// its length; 0 when there is none or it is longer than 100 characters.
short extraire_mot(char* word, const char* text);
// The primitive `name` with its first two arguments; kSupNoAnswer for a name that is not one.
int32_t call_primitive(const char* name, int32_t a1, int32_t a2);

// The application's answer to the names that are not primitives (the program knows none:
// kSupNoAnswer for every name).
using SupervisorCall = int32_t (*)(const char* name, const int32_t* args);  // args[0..9]
extern SupervisorCall call_application;
