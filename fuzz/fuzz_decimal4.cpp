// The text conversions of Decimal4; the input is taken as UTF-8 text.
#include "fuzztarget.h"
#include "invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    abortOnFailure(ReaderInvariants::checkDecimal4(QString::fromUtf8(fuzzInput(data, size))));
    return 0;
}
