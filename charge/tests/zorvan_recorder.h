#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Natively, ZorvanEvaluate is this recording stand-in: it keeps a copy of every request and
// writes a chosen answer byte. Link tevra_zorvan_recorder into a native test to use it.

struct RecordedRequest {
    char command = 0;
    std::vector<unsigned char> input;  // the inputLength bytes the request pointed at
    int32_t inputLength = 0;
    bool outputNull = true;
    int32_t outputLength = 0;
    // The first answer byte as the caller handed it in (before any answer was written).
    std::optional<unsigned char> outputBefore;
};

namespace zorvan_recorder {

// Forgets every request and goes back to leaving the answer unwritten.
void Reset();
// Every request since the last Reset, in order.
const std::vector<RecordedRequest>& Requests();
// The byte written to output[0] of each following request that has room for it; nothing leaves
// the buffer as the caller handed it in.
void SetAnswer(std::optional<unsigned char> answer);

}  // namespace zorvan_recorder
