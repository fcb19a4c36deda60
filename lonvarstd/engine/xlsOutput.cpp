// Writing a value into its spreadsheet; the automation output fills this in.
#include "engine/dataModule.h"

bool TD::XlsWriteValue(int index) {
    (void)index;
    return false;
}
