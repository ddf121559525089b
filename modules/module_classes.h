#pragma once

// Both are called at set-up, the input class first.
void RegisterInputClass();
void RegisterOutputClass();
