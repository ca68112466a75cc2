# The picture tests read the pictures drawn at build time and run bmpcheck.
add_dependencies(bmp_pictures_test pictures bmpcheck)
