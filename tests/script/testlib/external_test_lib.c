/* Routines that the script tests call through DECLARE: integers both ways, strings in and out,
   a buffer to fill, a variable argument list, returned texts, sixteen arguments, and one that
   writes as far as it is told, past the end of its buffer. NT_WHERE tells the copies of the
   library apart in the lookup tests. */
#include <stdarg.h>
#include <stddef.h>
#include <string.h>

#ifndef NT_WHERE
#define NT_WHERE 1
#endif

int nt_where(void) {
    return NT_WHERE;
}

/* Wraps as the script's arithmetic does (the fuzz target passes any value). */
int nt_negate(int v) {
    return (int)(0u - (unsigned)v);
}

/* Unsigned, since a call with fewer arguments than this takes (the fuzz target makes them)
   adds whatever the registers hold. */
long nt_add(long a, long b) {
    return (long)((unsigned long)a + (unsigned long)b);
}

int nt_length(const char* s) {
    return (int)strlen(s);
}

/* Upper-cases the string in place; returns how many letters changed. */
int nt_upper(char* s) {
    int n = 0;
    for (; *s; ++s)
        if (*s >= 'a' && *s <= 'z') {
            *s = (char)(*s - 32);
            ++n;
        }
    return n;
}

/* Writes n copies of c and a zero byte. */
int nt_fill(char* buf, int n, int c) {
    memset(buf, c, (size_t)n);
    buf[n] = 0;
    return n;
}

/* The sum of `count` integers that follow. */
int nt_sum(int count, ...) {
    va_list ap;
    int total = 0;
    va_start(ap, count);
    for (int i = 0; i < count; ++i) total += va_arg(ap, int);
    va_end(ap);
    return total;
}

/* Joins its string arguments (a NULL-free list of `count`) into `out`. */
int nt_join(char* out, int count, ...) {
    va_list ap;
    out[0] = 0;
    va_start(ap, count);
    for (int i = 0; i < count; ++i) strcat(out, va_arg(ap, const char*));
    va_end(ap);
    return (int)strlen(out);
}

const char* nt_greeting(void) {
    return "hello from the test library";
}

const char* nt_null(void) {
    return NULL;
}

/* Each argument weighed by its position, so that an argument out of place shows. */
int nt_sixteen(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9, int a10,
               int a11, int a12, int a13, int a14, int a15, int a16) {
    const int a[16] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16};
    unsigned total = 0;
    for (unsigned i = 0; i < 16; ++i) total += (i + 1) * (unsigned)a[i];
    return (int)total;
}

/* Writes n bytes whatever the buffer's size. */
void nt_overrun(char* buf, int n) {
    memset(buf, 'x', (size_t)n);
}
