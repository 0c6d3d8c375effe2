#include "PolicyKeys.h"

#include "PolicyNames.h"

#include <cstring>
#include <string>

namespace {
// What a change under a watched key is: a value set, or a key made or deleted.
constexpr DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
// Longer than any name a key of the table has; a longer one is read and refused.
constexpr DWORD kMaxName = 256;
// A policy's text is a settings line's value: far shorter than this.
constexpr DWORD kMaxData = 16 * 1024;

// The keys a watch may be set on, nearest first: a policy made later in a
// key that does not exist yet is seen by a watch on the one above it. Not
// Software itself: programs write below it all the time, and each write
// would wake the strip.
const char* const kWatchedKeys[] = {policy_names::kPolicyRoot, policy_names::kPoliciesParent};

// The values of one key as policies of one scope and section.
void read_values(HKEY key, PolicyScope scope, const std::string& section, std::vector<PolicyValue>* out)
{
    for (DWORD i = 0;; ++i) {
        char name[kMaxName] = {};
        DWORD name_size = kMaxName;
        DWORD type = 0;
        std::string data(kMaxData, '\0');
        auto data_size = static_cast<DWORD>(data.size());
        const LONG r =
            RegEnumValueA(key, i, name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &data_size);
        if (r == ERROR_NO_MORE_ITEMS) {
            return;
        }
        if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) {
            continue;
        }
        PolicyValue v{scope, section, std::string(name, name_size), std::string(), true};
        if (v.key.empty()) {
            continue; // the key's default value: no policy of Brindlow's
        }
        if (r == ERROR_MORE_DATA) {
            // Too long for any key: refused as a file's too-long line would be.
            v.text.assign(kMaxData, '?');
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data.resize(data_size);
            // The stored terminator, and any the writing tool added after it.
            while (!data.empty() && data.back() == '\0') {
                data.pop_back();
            }
            v.text = data;
        } else if (type == REG_DWORD && data_size == sizeof(DWORD)) {
            DWORD number = 0;
            std::memcpy(&number, data.data(), sizeof number);
            v.text = std::to_string(number);
        } else {
            v.text_or_number = false;
        }
        out->push_back(v);
    }
}
}

int PolicyKeys::init()
{
    int watching = 0;
    for (int i = 0; i < kRoots; ++i) {
        // Reset by hand: the strip's wait would take an auto-reset event's
        // signal before poll() could see it.
        if (events[i] == nullptr) {
            events[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        }
        watch(i);
        watching += watched[i] != nullptr ? 1 : 0;
    }
    return watching > 0 ? 0 : -1;
}

// RegNotifyChangeKeyValue fires once per call: the watch is set again after
// every change. A watch belongs to the thread that set it, and ends with it:
// this is the strip's thread, which lives as long as Brindlow.
void PolicyKeys::watch(int i)
{
    unwatch(i);
    if (events[i] == nullptr) {
        return;
    }
    // Closing a watched key signals its event: that is no change.
    ResetEvent(events[i]);
    for (const char* name : kWatchedKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(roots[i], name, 0, KEY_NOTIFY | KEY_READ, &key) != ERROR_SUCCESS) {
            continue;
        }
        if (RegNotifyChangeKeyValue(key, TRUE, kChanges, events[i], TRUE) == ERROR_SUCCESS) {
            watched[i] = key;
            watching_policies[i] = name == kWatchedKeys[0];
            return;
        }
        RegCloseKey(key);
    }
}

void PolicyKeys::unwatch(int i)
{
    if (watched[i] != nullptr) {
        RegCloseKey(watched[i]);
        watched[i] = nullptr;
    }
    watching_policies[i] = false;
}

int PolicyKeys::armed(HANDLE* out) const
{
    int n = 0;
    for (int i = 0; i < kRoots; ++i) {
        if (watched[i] != nullptr) {
            out[n++] = events[i];
        }
    }
    return n;
}

int PolicyKeys::poll()
{
    int changed = 0;
    for (int i = 0; i < kRoots; ++i) {
        // Neither key existed when last looked: one made since is read now.
        if (watched[i] == nullptr) {
            watch(i);
            changed = watched[i] != nullptr ? 1 : changed;
            continue;
        }
        if (WaitForSingleObject(events[i], 0) == WAIT_OBJECT_0) {
            // Set again before reading, so that a change made while the
            // values are read is not missed; on Brindlow's key once it exists,
            // and on its parent again when it was deleted.
            watch(i);
            changed = 1;
        }
    }
    return changed;
}

int PolicyKeys::rewatch()
{
    for (int i = 0; i < kRoots; ++i) {
        watch(i);
    }
    return 0;
}

std::vector<PolicyValue> PolicyKeys::read() const
{
    std::vector<PolicyValue> out;
    for (int i = 0; i < kRoots; ++i) {
        const PolicyScope scope = i == 0 ? PolicyScope::Machine : PolicyScope::User;
        HKEY root = nullptr;
        if (RegOpenKeyExA(roots[i], policy_names::kPolicyRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) {
            continue;
        }
        read_values(root, scope, std::string(), &out);
        for (DWORD k = 0;; ++k) {
            char name[kMaxName] = {};
            DWORD name_size = kMaxName;
            const LONG r = RegEnumKeyExA(root, k, name, &name_size, nullptr, nullptr, nullptr, nullptr);
            if (r == ERROR_NO_MORE_ITEMS) {
                break;
            }
            HKEY section = nullptr;
            if (r != ERROR_SUCCESS || RegOpenKeyExA(root, name, 0, KEY_READ, &section) != ERROR_SUCCESS) {
                continue;
            }
            read_values(section, scope, std::string(name, name_size), &out);
            RegCloseKey(section);
        }
        RegCloseKey(root);
    }
    return out;
}

int PolicyKeys::destroy()
{
    for (int i = 0; i < kRoots; ++i) {
        unwatch(i);
        if (events[i] != nullptr) {
            CloseHandle(events[i]);
            events[i] = nullptr;
        }
    }
    return 0;
}
