# textfile sources
