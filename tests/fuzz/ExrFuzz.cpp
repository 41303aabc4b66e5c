// libFuzzer target: any bytes as an .exr source image, which reading may refuse, with a reason,
// but never crash on, leak or read outside.

#include "maps/HdrImage.h"
#include "platform/Platform.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader opens files by name: each input becomes this process's own file.
    static const std::string file = "/tmp/zenithra-fuzz-" + std::to_string(getpid()) + ".exr";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    standalone::HdrImage image;
    std::string error;
    if (!standalone::LoadHdrImage(platform::WindowsPathOf(file), image, &error) && error.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    std::remove(file.c_str());
    return 0;
}
