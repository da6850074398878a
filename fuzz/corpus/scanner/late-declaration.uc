// Notes
// line 0 of a long preamble about the BeaconTower class and its many options
// line 1 of a long preamble about the BeaconTower class and its many options
// line 2 of a long preamble about the BeaconTower class and its many options
// line 3 of a long preamble about the BeaconTower class and its many options
// line 4 of a long preamble about the BeaconTower class and its many options
// line 5 of a long preamble about the BeaconTower class and its many options
// line 6 of a long preamble about the BeaconTower class and its many options
// line 7 of a long preamble about the BeaconTower class and its many options
// line 8 of a long preamble about the BeaconTower class and its many options
// line 9 of a long preamble about the BeaconTower class and its many options
// line 10 of a long preamble about the BeaconTower class and its many options
// line 11 of a long preamble about the BeaconTower class and its many options
// line 12 of a long preamble about the BeaconTower class and its many options
// line 13 of a long preamble about the BeaconTower class and its many options
// line 14 of a long preamble about the BeaconTower class and its many options
// line 15 of a long preamble about the BeaconTower class and its many options
// line 16 of a long preamble about the BeaconTower class and its many options
// line 17 of a long preamble about the BeaconTower class and its many options
// line 18 of a long preamble about the BeaconTower class and its many options
// line 19 of a long preamble about the BeaconTower class and its many options
// line 20 of a long preamble about the BeaconTower class and its many options
// line 21 of a long preamble about the BeaconTower class and its many options
// line 22 of a long preamble about the BeaconTower class and its many options
// line 23 of a long preamble about the BeaconTower class and its many options
// line 24 of a long preamble about the BeaconTower class and its many options
// line 25 of a long preamble about the BeaconTower class and its many options
// line 26 of a long preamble about the BeaconTower class and its many options
// line 27 of a long preamble about the BeaconTower class and its many options
// line 28 of a long preamble about the BeaconTower class and its many options
// line 29 of a long preamble about the BeaconTower class and its many options
// line 30 of a long preamble about the BeaconTower class and its many options
// line 31 of a long preamble about the BeaconTower class and its many options
// line 32 of a long preamble about the BeaconTower class and its many options
// line 33 of a long preamble about the BeaconTower class and its many options
// line 34 of a long preamble about the BeaconTower class and its many options
// line 35 of a long preamble about the BeaconTower class and its many options
// line 36 of a long preamble about the BeaconTower class and its many options
// line 37 of a long preamble about the BeaconTower class and its many options
// line 38 of a long preamble about the BeaconTower class and its many options
// line 39 of a long preamble about the BeaconTower class and its many options
class BeaconTower expands LinkBeacon
	placeable;

var() name Tag2;
