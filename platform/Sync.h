#pragma once
// Threads and synchronisation in one include: the re-entrant lock, events and
// the counting semaphore. Threads themselves are std::jthread.
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Semaphore.h"
