#include "cli/cli_app.h"

int main(int argc, char** argv) { return morvick::cli::RunCli(argc, argv); }
