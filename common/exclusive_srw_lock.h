// A slim reader/writer lock held exclusively for the life of a scope.
#pragma once

#include <windows.h>

class ExclusiveSrwLock {
public:
    explicit ExclusiveSrwLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveSrwLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveSrwLock(const ExclusiveSrwLock&) = delete;
    ExclusiveSrwLock& operator=(const ExclusiveSrwLock&) = delete;

private:
    SRWLOCK& lock_;
};
