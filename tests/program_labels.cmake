# Read by ctest after the discovered tests: each run of the program under test gets the label of its
# speed (quick, slow, root) and wine, so that `ctest -L wine` runs them all with another system's build.
foreach(label quick slow root)
  foreach(test IN LISTS zelmor_${label}_runs zelmor_${label}_faults zelmor_${label}_stops)
    set_tests_properties("${test}" PROPERTIES LABELS "${label};wine")
  endforeach()
endforeach()
