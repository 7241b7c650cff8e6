#pragma once
// vellhandler's resources: the 13 x 13 pictures beside its two items.

#define IDB_DECRYPT 101
#define IDB_ENCRYPT 103
