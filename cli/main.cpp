#include "cli/cli_app.h"
#include "cli/output.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
  const unsigned closed = morvick::platform::OpenStandardDescriptors();
  morvick::cli::SetStandardOutputClosed((closed & 2u) != 0);
  morvick::platform::IgnoreBrokenPipe();
  return morvick::cli::RunCli(argc, argv);
}
