// --timeout SECONDS: a bound on a whole subcommand, kept by the program, not the library.
// The library cannot bound a database server that stops answering in mid-query (it starts no
// thread, and a frozen server answers no cancel); the program can, by ending itself.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace lumbrook::host {

struct Deadline {
    std::string seconds;  // as given; empty without the option

    // Declares --timeout on `app`: a finite number of seconds greater than 0.
    void Declare(CLI::App& app);

    // Starts the clock when the option was given. At the deadline the process prints
    // "lumbrook: gave up after N s" on stderr and ends at once with exit status 1; an export
    // under way then leaves its target as it was, as a killed one does.
    void Start() const;
};

}  // namespace lumbrook::host
