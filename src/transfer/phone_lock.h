#pragma once

// One holder of the phone per data directory: an advisory lock (flock) on
// "phone.lock" there, taken before the port is opened and kept until the
// link is closed. The file names the holder (its process id, program and
// whether it keeps the phone open), written once the lock is taken, so the
// one refused can say who has it. The kernel drops the lock with the
// process, so a file left by one that died is simply taken again.

#include <string>
#include <string_view>

#include "transfer/transfer_context.h"

namespace mivex::transfer {

inline constexpr char kPhoneLockFileName[] = "phone.lock";

struct PhoneHolder {
    long processId = 0;  // 0: not known (it has not written its name yet)
    std::string program;
    bool keepsPhone = false;
};

// The lock while it is held; empty (isValid() false) when none was taken.
class PhoneLock {
public:
    PhoneLock() = default;
    // Takes over a descriptor that holds the lock.
    explicit PhoneLock(int lockedDescriptor) : descriptor_(lockedDescriptor) {}
    PhoneLock(PhoneLock&& other) noexcept;
    PhoneLock& operator=(PhoneLock&& other) noexcept;
    PhoneLock(const PhoneLock&) = delete;
    PhoneLock& operator=(const PhoneLock&) = delete;
    ~PhoneLock();

    [[nodiscard]] bool isValid() const { return descriptor_ >= 0; }
    // Empties the file, then lets the lock go.
    void Release();

private:
    int descriptor_ = -1;
};

enum class PhoneLockEnding {
    Taken,       // this process holds the phone now
    Held,        // another one does; see holder
    NotNeeded,   // no data directory was named
    NoLockFile,  // the file could not be made; nobody can be kept out
};

struct PhoneLockAttempt {
    PhoneLockEnding ending = PhoneLockEnding::NotNeeded;
    PhoneLock lock;
    PhoneHolder holder;
};

// Never waits: a phone another process holds is refused at once.
[[nodiscard]] PhoneLockAttempt TakePhoneLock(const PhoneOwner& owner);

// What the one refused is told, e.g. "The phone is in use by mivex-cli watch
// (process 1234) - it sends and receives for you."
[[nodiscard]] std::u16string PhoneInUseText(const PhoneHolder& holder);

}  // namespace mivex::transfer
