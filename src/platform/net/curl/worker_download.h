#pragma once

// A Download whose GET runs on a detached worker thread with CurlGet; the completion goes
// back to the user-interface thread through a channel that each toolkit provides. No
// toolkit here, so that the hand-over and its races are tested without one.
//
// Destroying the Download never waits: it raises the worker's abandon flag and closes the
// channel, and the worker, which shares only the flag and the channel, ends on its own a
// few milliseconds later.

#include <functional>
#include <memory>
#include <string>

#include "platform/net/download.h"

namespace vantrelle::net {

// Carries tasks from the worker to the user-interface thread.
class UiThreadChannel {
  public:
    virtual ~UiThreadChannel() = default;
    // From any thread: runs `task` later on the user-interface thread, unless the channel
    // is closed by then.
    virtual void Post(std::function<void()> task) = 0;
    // On the user-interface thread, also from inside a task: no task runs after this.
    virtual void Close() = 0;
};

std::unique_ptr<Download> StartWorkerDownload(const std::string& url, AsyncReadComplete on_complete,
                                              TransferLimits limits,
                                              std::shared_ptr<UiThreadChannel> channel);

}  // namespace vantrelle::net
