// Calls that must really overlap: each on a thread of its own, all let go at once.
#pragma once

#include <windows.h>

#include <thread>
#include <vector>

// Runs body(i) for i in [0, count) on threads that all wait for one signal, and returns
// only when every thread has ended, so that what they wrote may be read and freed.
template <typename Body>
void runTogether(int count, Body body) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> threads;
    threads.reserve(count);
    struct Joiner {
        HANDLE go;
        std::vector<std::thread>& threads;
        ~Joiner() {
            SetEvent(go);
            for (std::thread& thread : threads) thread.join();
            CloseHandle(go);
        }
    } joiner{go, threads};
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&body, go, i] {
            WaitForSingleObject(go, INFINITE);
            body(i);
        });
    }
}
