#include "platform/mac/MacMainRunLoop.h"

#import <Foundation/Foundation.h>
#include <CoreFoundation/CoreFoundation.h>

#include <chrono>

#include "foundation/dispatch/RealScheduler.h"

namespace velmora::mac {

namespace {

void nothing(void*) {}

}  // namespace

// A source of our own keeps the loop waiting rather than returning at once
// when the mode has nothing else in it, and signalling it is the wake-up:
// a signal sent before the loop sleeps is kept, so no work is missed.
struct MacMainRunLoop::Wake {
    // CFRetain answers the same object as a CFTypeRef (const void*).
    CFRunLoopRef loop = (CFRunLoopRef)CFRetain(CFRunLoopGetMain());
    CFRunLoopSourceRef source = nullptr;

    Wake() {
        CFRunLoopSourceContext context{};
        context.perform = nothing;
        source = CFRunLoopSourceCreate(kCFAllocatorDefault, 0, &context);
        CFRunLoopAddSource(loop, source, kCFRunLoopDefaultMode);
    }
    ~Wake() {
        CFRunLoopSourceInvalidate(source);
        CFRelease(source);
        CFRelease(loop);
    }
    void signal() {
        CFRunLoopSourceSignal(source);
        CFRunLoopWakeUp(loop);
    }
};

MacMainRunLoop::MacMainRunLoop(std::shared_ptr<RealScheduler> scheduler)
    : scheduler_(std::move(scheduler)), wake_(std::make_shared<Wake>()) {}

MacMainRunLoop::~MacMainRunLoop() {
    scheduler_->setWakeUpHandler(nullptr);
}

void MacMainRunLoop::run() {
    scheduler_->setWakeUpHandler([wake = wake_] { wake->signal(); });
    while (!stopped_.load()) {
        // What the system's notifications leave autoreleased on this thread
        // goes with each turn.
        @autoreleasepool {
            const auto wait = scheduler_->processDueWork();
            if (stopped_.load()) break;
            CFRunLoopRunInMode(kCFRunLoopDefaultMode, std::chrono::duration<double>(wait).count(), true);
        }
    }
    scheduler_->setWakeUpHandler(nullptr);
}

void MacMainRunLoop::stop() {
    stopped_.store(true);
    wake_->signal();
}

}  // namespace velmora::mac
