// A pseudo-terminal pair: the program's end (master) and a port name for the
// other end (the slave, "pts/N") that a TSeriell can open like a real port.
#pragma once

#include <cstddef>
#include <string>

class TPseudoTerminal {
 public:
  TPseudoTerminal() = default;
  ~TPseudoTerminal();
  TPseudoTerminal(const TPseudoTerminal&) = delete;
  TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

  // 0 or the errno of the step that failed. The master is raw and
  // non-blocking; the slave side is held open so that its buffer keeps what
  // is written before a port opens it.
  int Open();
  void Close();
  // Closes only the master: the slave side sees a hang-up.
  void CloseMaster();

  int Master() const { return master_; }
  int Slave() const { return slave_; }
  // Below /dev, as Port wants it.
  const std::string& SlaveName() const { return slaveName_; }

  // Writes all of data to the master, waiting for room; false on failure or
  // when the other end takes nothing for stallMs.
  bool WriteAll(const void* data, std::size_t size, int stallMs = 1000);

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
};
