# registry sources
