// Fuzzes the binary packet form of the Radar Coded Messages: the input is
// the body after an "RCM" line, its third and fourth bytes made 1 and 1, so
// that it is always read as packets (lengths, kinds, the site number,
// location and time, and the coded text of the last packet).

#include "fuzz_rcm_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    std::string file = "RCMOKX\n" + std::string(reinterpret_cast<const char *>(data), size);
    file.resize(std::max<size_t>(file.size(), 11), ' ');
    file[9] = file[10] = 1;
    fuzzing::read_messages(file.data(), file.size());
    return 0;
}
