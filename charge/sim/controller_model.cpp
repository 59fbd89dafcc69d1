#include "controller_model.h"

#include <cstdio>

namespace {

constexpr char kChargeCommand = 'Y';

std::string HexByte(unsigned char byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte));
    return text;
}

RequestOutcome Answer(unsigned char value, unsigned char* output, int32_t outputLength) {
    RequestOutcome outcome{true, std::nullopt};
    if (output != nullptr && outputLength >= 1) {
        output[0] = value;
        outcome.answerWritten = value;
    }
    return outcome;
}

}  // namespace

RequestOutcome EvaluateRequest(ControllerState& state, char command, const unsigned char* input,
                               int32_t inputLength, unsigned char* output, int32_t outputLength) {
    if (command != kChargeCommand || input == nullptr || inputLength < 1) return {};
    switch (input[0]) {
        case 0x01: {
            if (inputLength < 2) return {};
            const unsigned char percent = input[1];
            if (percent < 1 || percent > 100) return {};
            state.limitPercent = percent;
            return {true, std::nullopt};
        }
        case 0x02:
            return Answer(state.limitPercent, output, outputLength);
        case 0x03:
            return Answer(state.fullCharge ? 0x01 : 0x00, output, outputLength);
        default:
            return {};
    }
}

void PressQButton(ControllerState& state) {
    if (state.fullCharge)
        state.fullCharge = false;
    else if (state.limitPercent < 100)
        state.fullCharge = true;
}

void EndFullCharge(ControllerState& state) {
    state.fullCharge = false;
}

std::string FormatState(const ControllerState& state) {
    return "limit=" + std::to_string(state.limitPercent) +
           " fullcharge=" + (state.fullCharge ? "1" : "0");
}

std::optional<ControllerState> ParseState(const std::string& text) {
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    unsigned limit = 0;
    unsigned fullCharge = 0;
    if (std::sscanf(line.c_str(), "limit=%3u fullcharge=%1u", &limit, &fullCharge) != 2 ||
        limit < 1 || limit > 100 || fullCharge > 1)
        return std::nullopt;
    const ControllerState state{static_cast<uint8_t>(limit), fullCharge == 1};
    // Only the exact text FormatState writes is accepted; anything else is a damaged file.
    if (FormatState(state) != line) return std::nullopt;
    return state;
}

RequestLogEntry MakeLogEntry(std::string time, uint32_t processId, char command,
                             const unsigned char* input, int32_t inputLength, bool outputNull,
                             int32_t outputLength, const RequestOutcome& outcome) {
    RequestLogEntry entry;
    entry.time = std::move(time);
    entry.processId = processId;
    entry.command = command;
    if (input != nullptr && inputLength > 0) {
        const int32_t logged =
            inputLength < kMaxLoggedInputBytes ? inputLength : kMaxLoggedInputBytes;
        entry.input.assign(input, input + logged);
    }
    entry.inputLength = inputLength;
    entry.outputNull = outputNull;
    entry.outputLength = outputLength;
    entry.outcome = outcome;
    return entry;
}

std::string FormatLogLine(const RequestLogEntry& entry) {
    std::string input;
    for (unsigned char byte : entry.input) {
        if (!input.empty()) input.push_back(',');
        input.append(HexByte(byte));
    }
    if (input.empty()) input = "-";
    if (entry.inputLength > static_cast<int32_t>(entry.input.size()) && !entry.input.empty())
        input += ",...";
    const std::optional<uint8_t>& answer = entry.outcome.answerWritten;
    return entry.time + " pid=" + std::to_string(entry.processId) +
           " command=" + HexByte(static_cast<unsigned char>(entry.command)) + " input=" + input +
           " inputLength=" + std::to_string(entry.inputLength) +
           " output=" + (entry.outputNull ? "null" : "buffer") +
           " outputLength=" + std::to_string(entry.outputLength) +
           " answer=" + (answer ? HexByte(*answer) : "-") +
           " result=" + (entry.outcome.carriedOut ? "ok" : "ignored");
}
