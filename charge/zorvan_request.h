#pragma once

#include <cstddef>
#include <cstdint>

// The one record the embedded controller's library takes. It goes to ZorvanEvaluate by value, so
// its layout is a binary interface with Zorvan.dll: the field order and natural alignment below
// must not change. The filler bytes carry no meaning and are left unset.
struct ZorvanRequest {
    char command;           // command code; the system only sends 'Y'
    unsigned char* input;   // input bytes; byte 0 selects the sub-function
    int32_t inputLength;    // number of input bytes
    unsigned char* output;  // receives the answer; may be null
    int32_t outputLength;   // size of output in bytes; 0 with a null buffer
};

#if defined(_WIN64)
static_assert(sizeof(ZorvanRequest) == 40, "ZorvanRequest must stay 40 bytes in 64-bit builds");
static_assert(offsetof(ZorvanRequest, command) == 0);
static_assert(offsetof(ZorvanRequest, input) == 8);
static_assert(offsetof(ZorvanRequest, inputLength) == 16);
static_assert(offsetof(ZorvanRequest, output) == 24);
static_assert(offsetof(ZorvanRequest, outputLength) == 32);
#elif defined(_WIN32)
static_assert(sizeof(ZorvanRequest) == 20, "ZorvanRequest must stay 20 bytes in 32-bit builds");
static_assert(offsetof(ZorvanRequest, command) == 0);
static_assert(offsetof(ZorvanRequest, input) == 4);
static_assert(offsetof(ZorvanRequest, inputLength) == 8);
static_assert(offsetof(ZorvanRequest, output) == 12);
static_assert(offsetof(ZorvanRequest, outputLength) == 16);
#endif

// Programs import ZorvanEvaluate by name from Zorvan.dll at load time (import library made from
// zorvan.def). The simulated controller defines it and exports it through the same zorvan.def, so
// the export is undecorated in both word sizes.
#if defined(_WIN32)
#if defined(ZORVAN_SIMULATOR_BUILD)
#define ZORVAN_IMPORT
#else
#define ZORVAN_IMPORT __declspec(dllimport)
#endif
#define ZORVAN_CALL __cdecl
#else
#define ZORVAN_IMPORT
#define ZORVAN_CALL
#endif

// Carries out one request synchronously: when it returns, an answer stands in output[0]. Writes
// at most outputLength bytes, and nothing when output is null. Callers look at no result.
extern "C" ZORVAN_IMPORT void ZORVAN_CALL ZorvanEvaluate(ZorvanRequest request);
