#include "zorvan_recorder.h"

#include "zorvan_request.h"

namespace {

struct Recorder {
    std::vector<RecordedRequest> requests;
    std::optional<unsigned char> answer;
};

Recorder& TheRecorder() {
    static Recorder recorder;
    return recorder;
}

}  // namespace

namespace zorvan_recorder {

void Reset() {
    TheRecorder() = Recorder{};
}

const std::vector<RecordedRequest>& Requests() {
    return TheRecorder().requests;
}

void SetAnswer(std::optional<unsigned char> answer) {
    TheRecorder().answer = answer;
}

}  // namespace zorvan_recorder

extern "C" void ZorvanEvaluate(ZorvanRequest request) {
    Recorder& recorder = TheRecorder();
    RecordedRequest record;
    record.command = request.command;
    if (request.input != nullptr && request.inputLength > 0)
        record.input.assign(request.input, request.input + request.inputLength);
    record.inputLength = request.inputLength;
    record.outputNull = request.output == nullptr;
    record.outputLength = request.outputLength;
    const bool hasRoom = request.output != nullptr && request.outputLength >= 1;
    if (hasRoom) record.outputBefore = request.output[0];
    recorder.requests.push_back(record);
    if (hasRoom && recorder.answer) request.output[0] = *recorder.answer;
}
