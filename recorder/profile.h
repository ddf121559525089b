// What a recording shows of the host, gathered as the writer writes the
// records (in the order of the file, one turn at a time), and written beside
// the recording as a short text: a person reads it in a minute, and
// korvu_host --host-profile reads its first lines back to become that host.
// Every finding names the calls it rests on, by their sequence numbers.
#pragma once

#include <stdint.h>

#include "recorder/host_record.h"

// A record as the writer writes it, at its time in tenths of a microsecond.
void ProfileSees(const HostRecord& record, uint64_t tenths);

// The profile as it stands, into `path`, naming the recording it comes
// from; false when it cannot be written.
bool WriteProfile(const wchar_t* path, const wchar_t* recordingPath);
