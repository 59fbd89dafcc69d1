#pragma once

#include <functional>
#include <optional>
#include <string>

#include "controller_model.h"

// Storage of the simulated embedded controller, shared by every process of the Windows session:
//   <folder>\state.txt      one line, FormatState ("limit=75 fullcharge=1"); missing = first state
//   <folder>\requests.log   one FormatLogLine line per request, CR LF ended; at 1 MiB the log moves
//                           to requests.old.log and a new one begins
// The folder is %ZORVAN_SIM_DIR% when that is set (its parent must exist), otherwise
// "ZorvanSim" in the machine-wide application-data folder (C:\ProgramData\ZorvanSim). Every
// access holds the named mutex "ZorvanSimulatedController", so requests from several processes
// are carried out one after another, and the state file is replaced in one step.

// The folder; empty when it cannot be determined.
std::string SimulatorFolder();

// Holds the controller's named mutex for its lifetime.
class SimulatorLock {
public:
    SimulatorLock();
    ~SimulatorLock();
    SimulatorLock(const SimulatorLock&) = delete;
    SimulatorLock& operator=(const SimulatorLock&) = delete;

    // False when the mutex could not be had within a few seconds.
    explicit operator bool() const { return m_locked; }

private:
    void* m_mutex = nullptr;
    bool m_locked = false;
};

// The operations below take the lock themselves.

// Carries out one request and logs it; what ZorvanEvaluate does.
void EvaluateSharedRequest(char command, const unsigned char* input, int32_t inputLength,
                           unsigned char* output, int32_t outputLength);
// The state in force; nothing when the lock cannot be had.
std::optional<ControllerState> ReadSharedState();
// Applies change to the stored state and returns the new state; nothing on failure.
std::optional<ControllerState> ChangeSharedState(
    const std::function<void(ControllerState&)>& change);
// The whole request log (empty when there is none); false when it cannot be read.
bool ReadRequestLog(std::string& text);
// Empties the request log.
bool ClearRequestLog();
