#include "platform/system/program_folder.h"

#include <filesystem>

void enterProgramFolder() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) std::filesystem::current_path(exe.parent_path(), error);
}
