#include "platform/fault.h"

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform {
namespace {

std::mutex fault_mutex;
struct Fault {
    int skip;   // calls that still succeed first
    int count;  // calls that fail after them
};

std::unordered_map<std::string, Fault> pending_faults;
// Checked without the lock so the common case (no faults) costs one load.
std::atomic<int> pending_total{0};

} // namespace

void fault_inject(const char* operation, int count, int skip)
{
    std::lock_guard<std::mutex> lock(fault_mutex);
    auto it = pending_faults.find(operation);
    if (it != pending_faults.end()) {
        pending_total -= it->second.count;
        pending_faults.erase(it);
    }
    if (count > 0) {
        pending_faults[operation] = Fault{skip > 0 ? skip : 0, count};
        pending_total += count;
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
    if (it->second.skip > 0) {
        --it->second.skip;
        return false;
    }
    --pending_total;
    if (--it->second.count == 0) {
        pending_faults.erase(it);
    }
    return true;
}

} // namespace platform
