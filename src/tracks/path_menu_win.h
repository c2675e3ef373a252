// Tag suggestions from the parts of the first selected track's path.
#pragma once

// Shows the menu of path pieces for the row; puts a chosen piece into the target
// field. Yields 0 when there was no path to offer from, 1 otherwise.
int SuggestPathPiece(int row, int targetFieldId);
