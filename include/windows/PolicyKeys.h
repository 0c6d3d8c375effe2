#pragma once

#include "SettingsLayers.h"

#include <windows.h>

#include <vector>

// The administrator's policies under Software\Policies\Brindlow, in the
// computer's registry and the user's: read into plain values for
// layer_settings, and watched so that a change by any tool (Group Policy,
// Intune, reg.exe) is seen while Brindlow runs.
class PolicyKeys {
public:
    static constexpr int kRoots = 2;

    // The computer's first: the order PolicyScope names them in.
    HKEY roots[kRoots] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    // The key each watch is set on: Brindlow's policies, or while they do
    // not exist the nearest key above them that does.
    HKEY watched[kRoots] = {nullptr, nullptr};
    bool watching_policies[kRoots] = {false, false};
    // Signalled by the registry when a watched key or one below it changes.
    HANDLE events[kRoots] = {nullptr, nullptr};

    // Creates the events and sets the watches; 0, or -1 when neither root
    // could be watched (the policies are then read at every load only).
    int init();
    // The events to wait on, into out[kRoots]; how many there are.
    int armed(HANDLE* out) const;
    // 1 when a watched key changed since the last call; the watches are
    // set again (on Brindlow's key once it exists). A root with neither
    // key is looked at again here, at each of the strip's wakes. Else 0.
    int poll();
    // Sets the watches again now: after a Group Policy refresh, which may
    // have made the key a watch on its parent could not yet see.
    int rewatch();
    // Every value under both roots, the computer's first.
    std::vector<PolicyValue> read() const;
    int destroy();

private:
    void watch(int i);
    void unwatch(int i);
};
