#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the simulated embedded controller holds and how it answers a request. Portable, so that the
// rules are tested natively; the Windows layer only adds the shared storage and the log file.

struct ControllerState {
    uint8_t limitPercent = 100;  // limit in force; the first state charges to 100 %
    bool fullCharge = false;     // a one-time full charge is under way

    bool operator==(const ControllerState&) const = default;
};

// What the controller did with one request.
struct RequestOutcome {
    bool carriedOut = false;               // false: unknown command or sub-function, or malformed
    std::optional<uint8_t> answerWritten;  // the byte written to output[0], if any

    bool operator==(const RequestOutcome&) const = default;
};

// Carries out one request against state. Command 'Y' only: sub-function 1 sets the limit
// (1..100 %), 2 answers the limit, 3 answers the full-charge bit in bit 0. Writes at most
// outputLength bytes to output (one answer byte) and nothing into a null buffer. Anything else
// changes nothing and writes nothing. Reads at most the first two input bytes.
RequestOutcome EvaluateRequest(ControllerState& state, char command, const unsigned char* input,
                               int32_t inputLength, unsigned char* output, int32_t outputLength);

// The Q button as the controller handles it: cancels a running full charge, or starts one when a
// limit below 100 % is in force; otherwise nothing happens.
void PressQButton(ControllerState& state);

// The battery has reached 100 %: the one-time full charge is over.
void EndFullCharge(ControllerState& state);

// "limit=<percent> fullcharge=<0|1>", the one line the control tool shows and the state file holds.
std::string FormatState(const ControllerState& state);
// Parses what FormatState wrote (a trailing line end is allowed); nothing for anything else.
std::optional<ControllerState> ParseState(const std::string& text);

// One line of the request log; see FormatLogLine.
struct RequestLogEntry {
    std::string time;  // local time, "YYYY-MM-DDTHH:MM:SS.mmm"
    uint32_t processId = 0;
    char command = 0;
    std::vector<unsigned char> input;  // the bytes logged (at most kMaxLoggedInputBytes)
    int32_t inputLength = 0;
    bool outputNull = true;
    int32_t outputLength = 0;
    RequestOutcome outcome;
};

inline constexpr int32_t kMaxLoggedInputBytes = 16;

// Builds the entry for one request, copying at most kMaxLoggedInputBytes of the input.
RequestLogEntry MakeLogEntry(std::string time, uint32_t processId, char command,
                             const unsigned char* input, int32_t inputLength, bool outputNull,
                             int32_t outputLength, const RequestOutcome& outcome);

// One request as one line, without line end. Fields in this order, separated by single spaces;
// no field holds a space:
//   <time>                      local time, YYYY-MM-DDTHH:MM:SS.mmm
//   pid=<decimal>               Windows process id of the caller
//   command=<hex byte>          59 for 'Y'
//   input=<hex bytes>           comma-separated (01,4B); "-" for none; ",..." ends a cut list
//   inputLength=<decimal>       as passed, signed
//   output=<null|buffer>        whether an answer buffer was given
//   outputLength=<decimal>      as passed, signed
//   answer=<hex byte>           the byte written to output[0]; "-" when nothing was written
//   result=<ok|ignored>         ignored: unknown command or sub-function, or malformed request
// Hex bytes are two upper-case digits without prefix. Example:
//   2024-03-05T07:08:09.010 pid=288 command=59 input=01,4B inputLength=2 output=null
//   outputLength=0 answer=- result=ok          (one line in the log)
std::string FormatLogLine(const RequestLogEntry& entry);
