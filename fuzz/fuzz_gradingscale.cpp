// The grading scale reader: GradingScale::parse, then GradingScale::convert.
#include "fuzztarget.h"
#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    abortOnFailure(ReaderInvariants::checkGradingScale(fuzzInput(data, size)));
    return 0;
}
