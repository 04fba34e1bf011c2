// tolvex-read: runs tolvex read for the tolvex command.
#include "command_programs/programs.h"

int main(int argc, char** argv) {
  return tolvex::command::program_main<tolvex::command::ReadJob>(argc, argv, tolvex::command::run_read);
}
