#include "app/root/StopSignals.h"

#include <cstdlib>
#include <pthread.h>
#include <utility>

namespace velmora {

StopSignals::StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGUSR1);  // our own wake-up for the waiting thread at exit
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
}

StopSignals::~StopSignals() {
    if (!waiter_.joinable()) return;
    pthread_kill(waiter_.native_handle(), SIGUSR1);
    waiter_.join();
}

void StopSignals::watch(std::function<void()> onStop) {
    waiter_ = std::thread([this, onStop = std::move(onStop)] {
        int received = 0;
        sigwait(&set_, &received);
        if (received == SIGUSR1) return;
        onStop();
        sigwait(&set_, &received);
        if (received != SIGUSR1) std::_Exit(128 + received);
    });
}

}  // namespace velmora
