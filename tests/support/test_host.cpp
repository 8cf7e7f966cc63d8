#include "tests/support/test_host.h"

#include "sim/sim.h"

namespace {
class SimLibrary final : public Library {
 public:
  explicit SimLibrary(TestHost& host) : host_(host) {}
  ~SimLibrary() override { ++host_.unloads; }
  void* Find(const char* name) const override {
    auto replacement = host_.replaced.find(name);
    return replacement != host_.replaced.end() ? replacement->second : sim::Entry(name);
  }

 private:
  TestHost& host_;
};
}  // namespace

std::unique_ptr<Library> TestHost::LoadRemoteApi() {
  if (!libraryPresent) return nullptr;
  ++loads;
  return std::make_unique<SimLibrary>(*this);
}

std::optional<Package> TestHost::FindPackage() {
  if (!hasPackage) return std::nullopt;
  return Package{package.data(), static_cast<DWORD>(package.size())};
}

std::vector<BYTE> MakePackage(std::size_t size, unsigned seed) {
  std::vector<BYTE> bytes(size);
  std::uint32_t state = 2463534242u ^ seed;
  for (BYTE& b : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<BYTE>(state);
  }
  const char magic[] = "MSCF";
  for (std::size_t i = 0; i < 4 && i < size; ++i) bytes[i] = static_cast<BYTE>(magic[i]);
  return bytes;
}
