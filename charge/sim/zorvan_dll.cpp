// Zorvan.dll as built here: a simulated embedded controller for machines without the maker's
// library. Same export and record; the controller's state and request log are shared by every
// process of the session (see sim_store.h).
#include "sim_store.h"
#include "zorvan_request.h"

extern "C" void ZORVAN_CALL ZorvanEvaluate(ZorvanRequest request) {
    EvaluateSharedRequest(request.command, request.input, request.inputLength, request.output,
                          request.outputLength);
}
