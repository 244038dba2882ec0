// A key file of any bytes, read line by line as the registry reads it; and a
// value of any name and text: written, it reads back the same, whatever
// quotes, backslashes and line breaks it holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "src/platform/posix/registry_file.h"
#include "src/platform/posix/registry_line.h"

using platform::RegistryLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  platform::SplitKeyFileLines(std::string(reinterpret_cast<const char*>(data), size), &lines);
  for (const std::string& line : lines) {
    const RegistryLine read = platform::ParseRegistryLine(line);
    if (read.kind == RegistryLine::kNumber &&
        platform::ParseRegistryLine(platform::FormatRegistryNumber(read.name, read.number))
                .number != read.number)
      std::abort();
  }
  FuzzedDataProvider in(data, size);
  const std::string name = in.ConsumeRandomLengthString();
  const std::string text = in.ConsumeRandomLengthString();
  std::vector<std::string> written;
  platform::SplitKeyFileLines(platform::FormatRegistryText(name, text) + "\n", &written);
  const RegistryLine back = platform::ParseRegistryLine(written.at(0));
  if (written.size() != 1 || back.kind != RegistryLine::kText || back.name != name ||
      back.text != text)
    std::abort();
  return 0;
}
