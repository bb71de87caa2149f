// Fault injection: tests make the next N calls of a named platform operation fail,
// so the library's failure paths run without mocking the library itself.
// Operation names are "service.operation", e.g. "display.create", "surface.lock".
#pragma once

namespace platform {

// The next `count` calls of `operation` fail (count 0 cancels), after `skip` calls
// that succeed (to reach a later use of the same operation).
void fault_inject(const char* operation, int count, int skip = 0);

// Forget every pending fault.
void fault_clear();

// Called by platform operations: true when this call must fail. Consumes one fault.
bool fault_should_fail(const char* operation);

} // namespace platform
