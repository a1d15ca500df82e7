#include "framework/SupervisorLanguage.h"

#include "framework/LocalTime.h"
#include "framework/UserInput.h"
#include "platform/Clock.h"
#include "platform/WindowManager.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

int32_t nobody_knows(const char*, const int32_t*) { return kSupNoAnswer; }

bool word_char(char c) { return std::isalnum((unsigned char)c) || c == '_'; }

// The variable a word names ("i0" to "i9"), or -1.
int variable_of(const char* w)
{
    return w[0] == 'i' && w[1] >= '0' && w[1] <= '9' && w[2] == 0 ? w[1] - '0' : -1;
}

short literal_of(const char* w)
{
    long v = std::strtol(w, nullptr, 10);
    if (v > 32767) v = 32767;
    return (short)(v <= kSupNoAnswer ? kSupNoAnswer + 1 : v);
}

// The value written directly at *p (a literal or a variable), moving *p past it; false for a
// name or nothing.
bool value_at(const char** p, const short* v, int32_t* out)
{
    char w[101];
    const short n = extraire_mot(w, *p);
    if (!n) return false;
    *p += n;
    if (std::isdigit((unsigned char)w[0])) {
        *out = literal_of(w);
        return true;
    }
    const int k = variable_of(w);
    if (k < 0) return false;
    *out = v[k];
    return true;
}

// The "}" that closes the block starting at `body`, or null.
const char* block_end(const char* body)
{
    int depth = 1;
    for (const char* p = body; *p; p++) {
        if (*p == '{') depth++;
        else if (*p == '}' && --depth == 0) return p;
    }
    return nullptr;
}

// After a statement: its one separating character.
const char* past(const char* p) { return *p ? p + 1 : p; }

void let_program_run(int32_t ms)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) {
        platform::sleep_ms(ms);
        return;
    }
    const int32_t until = get_time_pos() + ms;
    while (get_time_pos() < until)
        if (!wm->run_until(wm->now() + (until - get_time_pos()))) break;  // the program quits
}

short run(const char* p, short* v, short level);

// Runs the block opening at `open` ("{"); *resume is set after its "}". false when it has no end.
bool run_block(const char* open, short* v, short level, bool really, short* result, const char** resume)
{
    const char* body = open + 1;
    const char* end = block_end(body);
    if (!end) return false;
    *result = really ? run(body, v, (short)(level + 1)) : kSupNoAnswer;
    *resume = past(end + 1);
    return true;
}

short run(const char* p, short* v, short level)
{
    if (level > 16) return 0;
    bool last_if_false = false;
    short* waiting = nullptr;
    for (;;) {
        while (*p == ' ' || *p == '\r' || *p == '\n') p++;
        if (*p == '}') return level > 0 ? kSupNoAnswer : 0;
        if (!*p) return 0;
        char w[101];
        const short n = extraire_mot(w, p);
        if (!n) return 0;
        p += n;
        if (!std::strcmp(w, "loop")) {
            const char* q = std::strchr(p, '(');
            if (!q || q[1] != 'i' || !std::isdigit((unsigned char)q[2])) return 0;
            short* var = &v[q[2] - '0'];
            int32_t start = 0, stop = 0;
            q = std::strchr(q, ',');
            if (!q || !(++q, value_at(&q, v, &start))) return 0;
            q = std::strchr(q, ',');
            if (!q || !(++q, value_at(&q, v, &stop))) return 0;
            q = std::strchr(q, ')');
            if (q) q = std::strchr(q, '{');
            if (!q) return 0;
            const char* body = q + 1;
            const char* end = block_end(body);
            if (!end) return 0;
            const bool up = start <= stop;
            *var = (short)start;
            for (int32_t rounds = 0; rounds < kSupMaxRounds; rounds++) {
                if (up ? *var > stop : *var < stop) break;
                const short r = run(body, v, (short)(level + 1));
                if (r != kSupNoAnswer && r != kSupContinue) return r;
                const int32_t next = *var + (up ? 1 : -1);
                if (next > 32767 || next < -32768) break;  // the stop is a limit of the variable
                *var = (short)next;
            }
            p = past(end + 1);
            continue;
        }
        if (!std::strcmp(w, "if") || !std::strcmp(w, "else")) {
            const bool is_if = w[0] == 'i';
            int32_t value = 0;
            const char* q = p;
            if (is_if) {
                q = std::strchr(q, '(');
                if (!q || !(++q, value_at(&q, v, &value))) return 0;
                q = std::strchr(q, ')');
                if (!q) return 0;
            }
            q = std::strchr(q, '{');
            if (!q) return 0;
            const bool really = is_if ? value != 0 : last_if_false;
            short r = 0;
            if (!run_block(q, v, level, really, &r, &p)) return 0;
            if (r != kSupNoAnswer) return r;
            last_if_false = is_if && value == 0;
            continue;
        }
        if (!std::strcmp(w, "break")) return level > 0 ? kSupNoAnswer : 0;
        if (!std::strcmp(w, "continue")) return level > 0 ? kSupContinue : 0;
        if (!std::strcmp(w, "return")) {
            const char* q = std::strchr(p, '(');
            int32_t value = 0;
            if (!q || !(++q, value_at(&q, v, &value))) return 0;
            return (short)value;
        }
        last_if_false = false;
        if (std::isdigit((unsigned char)w[0])) {
            if (!waiting) return 0;
            *waiting = literal_of(w);
            waiting = nullptr;
            p = past(p);
            continue;
        }
        const int k = variable_of(w);
        if (k >= 0) {
            if (waiting) {
                *waiting = v[k];
                waiting = nullptr;
                p = past(p);
                continue;
            }
            const char* eq = std::strchr(p, '=');
            if (!eq) return 0;
            waiting = &v[k];
            p = eq + 1;
            continue;
        }
        // A call: the name directly followed by its arguments.
        if (*p != '(') return 0;
        p++;
        int32_t args[10] = {};
        for (int a = 0;; a++) {
            if (*p == ')') {
                p++;
                break;
            }
            if (a >= 10 || !value_at(&p, v, &args[a])) return 0;
            if (*p == ',') p++;
            else if (*p != ')') return 0;
        }
        int32_t answer = call_primitive(w, args[0], args[1]);
        if (answer == kSupNoAnswer) answer = call_application(w, args);
        if (answer != kSupNoAnswer && waiting) {
            *waiting = (short)answer;
            waiting = nullptr;
        }
        p = past(p);
    }
}

}  // namespace

SupervisorCall call_application = nobody_knows;

short extraire_mot(char* word, const char* text)
{
    short n = 0;
    while (text && word_char(text[n])) {
        if (n >= 100) {
            word[0] = 0;
            return 0;
        }
        word[n] = text[n];
        n++;
    }
    word[n] = 0;
    return n;
}

int32_t call_primitive(const char* name, int32_t a, int32_t b)
{
    if (!std::strcmp(name, "beep")) {
        beep();
        return 0;
    }
    if (!std::strcmp(name, "add")) return a + b;
    if (!std::strcmp(name, "sub")) return a - b;
    if (!std::strcmp(name, "mul")) return a * b;
    if (!std::strcmp(name, "div")) return b ? a / b : 0;
    if (!std::strcmp(name, "rem")) return b ? a % b : 0;
    if (!std::strcmp(name, "wait_ms")) {
        let_program_run(a);
        return 0;
    }
    if (!std::strcmp(name, "wait_sec")) {
        let_program_run(a * 1000);
        return 0;
    }
    if (!std::strcmp(name, "sec_from_start")) return get_time_pos() / 1000;
    if (!std::strcmp(name, "greater_than")) return a > b ? 1 : 0;
    return kSupNoAnswer;
}

short executer_fonction(const char* text, short* variables, short* level)
{
    if (!text || !*text) return 0;
    if (!variables) {
        short fresh[10] = {};
        return run(text, fresh, 0);
    }
    return run(text, variables, (short)((level ? *level : 0) + 1));
}
