#include "framework/SupervisorLanguage.h"

#include "framework/UserInput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;
int32_t app_hook(const char* name, const int32_t* args)
{
    g_calls.push_back(std::string(name) + ":" + std::to_string(args[0]) + "," + std::to_string(args[1]));
    return std::strcmp(name, "score") == 0 ? 40 : kSupNoAnswer;
}

TEST(SupervisorLanguage, Interpreter)
{
    call_application = app_hook;
    const struct {
        const char* text;
        short result;
    } cases[] = {
        {"return(7) ", 7},
        {"return(i3) ", 0},
        {"", 0},
        {"i1 = 5 return(i1) ", 5},
        {"i1 = add(2,3) i2 = mul(i1,i1) return(i2) ", 25},
        {"i1 = sub(2,9) return(i1) ", -7},
        {"i1 = div(7,2) i2 = rem(7,2) i3 = sub(0,7) i4 = rem(i3,2) i5 = mul(i1,10) i5 = add(i5,i2) i5 = mul(i5,10) i5 = add(i5,i4) return(i5) ",
         309},
        {"i1 = div(7,0) i2 = rem(7,0) i3 = add(i1,i2) i3 = add(i3,9) return(i3) ", 9},
        {"i1 = greater_than(3,2) i2 = greater_than(2,3) i1 = mul(i1,10) i1 = add(i1,i2) return(i1) ", 10},
        // Loops: down from 3 to 1, and a loop whose start equals its stop runs once.
        {"loop(i1,3,1){ i2 = add(i2,i1) i2 = mul(i2,10) } return(i2) ", 3210},
        {"loop(i1,4,4){ i2 = add(i2,1) } return(i2) ", 1},
        // Up to the largest 16-bit value: the loop ends there.
        {"loop(i1,32760,32767){ i2 = add(i2,1) } return(i2) ", 8},
        {"i3 = sub(0,32767) i3 = sub(i3,1) loop(i1,0,i3){ i2 = add(i2,1) } return(i2) ", (short)32769},
        // A block that sets its variable back ends after the limit of rounds.
        {"loop(i1,1,2){ i1 = 1 i2 = 7 } return(i2) ", 7},
        // Conditions, else, break and continue.
        {"if(1){ i1 = 4 } else{ i1 = 5 } return(i1) ", 4},
        {"if(0){ i1 = 4 } else{ i1 = 5 } return(i1) ", 5},
        {"loop(i1,1,5){ if(i1){ continue } i2 = 9 } return(i2) ", 0},
        {"loop(i1,1,3){ i2 = add(i2,1) break i2 = 50 } return(i2) ", 3},
        {"loop(i1,1,3){ if(i1){ return(i1) } } ", 1},
        // Nested blocks: scanning resumes after the block's own "}".
        {"loop(i1,1,2){ loop(i2,1,3){ i3 = add(i3,1) } i4 = add(i4,10) } i3 = add(i3,i4) return(i3) ", 26},
        {"if(1){ if(0){ i1 = 1 } i2 = 2 } i2 = add(i2,1) return(i2) ", 3},
        // Malformed: a call with a blank before "(" or after ",", a name as a value.
        {"i1 = add (1,2) return(5) ", 0},
        {"i1 = add(1, 2) return(5) ", 0},
        {"return(foo) ", 0},
        {"loop(x1,1,2){ } return(3) ", 0},
        {"if(1){ i1 = 2 ", 0},
        // The application's hook answers names the primitives do not know; an unknown name
        // leaves the assignment waiting.
        {"i1 = score(3,4) return(i1) ", 40},
        {"i1 = nobody(1,2) 6 return(i1) ", 6},
        // The literal is 16 bits.
        {"return(99999) ", 32767},
        {"break ", 0},
    };
    for (const auto& c : cases) {
        g_calls.clear();
        EXPECT_EQ(executer_fonction(c.text), c.result) << c.text;
    }
    g_calls.clear();
    executer_fonction("i1 = score(3,4) ");
    EXPECT_EQ(g_calls, (std::vector<std::string>{"score:3,4"}));
    call_application = [](const char*, const int32_t*) -> int32_t { return kSupNoAnswer; };
}

TEST(SupervisorLanguage, WordsAndPrimitives)
{
    char word[101];
    EXPECT_EQ(extraire_mot(word, "loop(i1"), 4);
    EXPECT_STREQ(word, "loop");
    EXPECT_EQ(extraire_mot(word, "(x"), 0);
    const std::string hundred(100, 'a'), longer(101, 'a');
    EXPECT_EQ(extraire_mot(word, hundred.c_str()), 100);
    EXPECT_EQ(extraire_mot(word, longer.c_str()), 0);
    EXPECT_EQ(call_primitive("rem", -7, 2), -1);
    EXPECT_EQ(call_primitive("div", -7, 2), -3);
    EXPECT_EQ(call_primitive("Add", 1, 2), kSupNoAnswer);
    const int beeps = beep_count;
    EXPECT_EQ(call_primitive("beep", 0, 0), 0);
    EXPECT_EQ(beep_count, beeps + 1);
}

}  // namespace
