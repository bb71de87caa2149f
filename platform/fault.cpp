#include "platform/fault.h"

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform {
namespace {

std::mutex fault_mutex;
std::unordered_map<std::string, int> pending_faults;
// Checked without the lock so the common case (no faults) costs one load.
std::atomic<int> pending_total{0};

} // namespace

void fault_inject(const char* operation, int count)
{
    std::lock_guard<std::mutex> lock(fault_mutex);
    int& slot = pending_faults[operation];
    pending_total -= slot;
    slot = count > 0 ? count : 0;
    pending_total += slot;
    if (slot == 0) {
        pending_faults.erase(operation);
    }
}

void fault_clear()
{
    std::lock_guard<std::mutex> lock(fault_mutex);
    pending_faults.clear();
    pending_total = 0;
}

bool fault_should_fail(const char* operation)
{
    if (pending_total.load(std::memory_order_relaxed) == 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(fault_mutex);
    auto it = pending_faults.find(operation);
    if (it == pending_faults.end()) {
        return false;
    }
    --pending_total;
    if (--it->second == 0) {
        pending_faults.erase(it);
    }
    return true;
}

} // namespace platform
